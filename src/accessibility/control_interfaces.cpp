#include "accessibility/control_interfaces.h"

#include "accessibility/accessibility.h"
#include "accessibility/update_filter.h"
#include "forms/form_builder.h"
#include "forms/form_covering.h"
#include "forms/form_label.h"
#include "forms/toggle_button.h"

#include <QGroupBox>
#include <QKeySequence>

namespace accessibility {

void addCovered(const QWidget *control, QAccessible::State &state)
{
    if (form::isCovered(control))
        state.invisible = true;
}

void coverageChanged(QWidget *control)
{
    if (!updates::listening())
        return;
    // The state itself is read from the control; the event says which changed.
    QAccessible::State changed;
    changed.invisible = true;
    QAccessibleStateChangeEvent told(control, changed);
    updates::tell(&told);
}

LabelAccessible::LabelAccessible(form::FormLabel *label)
    : QAccessibleWidget(label, QAccessible::StaticText)
{
}

form::FormLabel *LabelAccessible::label() const
{
    return static_cast<form::FormLabel *>(widget());
}

QAccessible::Role LabelAccessible::role() const
{
    return label()->isLink() ? QAccessible::Link : QAccessible::StaticText;
}

QString LabelAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Name && label()->accessibleName().isEmpty())
        return label()->text();
    return QAccessibleWidget::text(t);
}

QAccessible::State LabelAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.linked = label()->isLink();
    addCovered(label(), state);
    return state;
}

QStringList LabelAccessible::actionNames() const
{
    if (label()->isLink() && label()->isEnabled())
        return {pressAction()};
    return QAccessibleWidget::actionNames();
}

void LabelAccessible::doAction(const QString &action)
{
    if (action == pressAction()) {
        if (label()->isEnabled())
            label()->activate();
        return;
    }
    QAccessibleWidget::doAction(action);
}

FrameAccessible::FrameAccessible(QGroupBox *frame)
    : ContainerAccessible(frame, QAccessible::Grouping)
{
}

QGroupBox *FrameAccessible::frame() const
{
    return static_cast<QGroupBox *>(widget());
}

QString FrameAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Name && frame()->accessibleName().isEmpty())
        return form::shownCaption(frame()->title());
    return QAccessibleWidget::text(t);
}

QAccessible::State FrameAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    addCovered(frame(), state);
    return state;
}

QList<QPair<QAccessibleInterface *, QAccessible::Relation>>
FrameAccessible::relations(QAccessible::Relation match) const
{
    auto found = QAccessibleWidget::relations(match);
    if (!(match & QAccessible::Labelled) || frame()->title().isEmpty())
        return found;
    for (QWidget *kid : frame()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        QAccessibleInterface *kidFace = QAccessible::queryAccessibleInterface(kid);
        if (!kidFace)
            continue;
        for (const auto &relation : kidFace->relations(QAccessible::Label))
            if (relation.first && relation.first->object() == frame())
                found.append({kidFace, QAccessible::Labelled});
    }
    return found;
}

ToggleButtonAccessible::ToggleButtonAccessible(form::FormToggleButton *button)
    : QAccessibleWidget(button, QAccessible::Button)
{
}

form::FormToggleButton *ToggleButtonAccessible::button() const
{
    return static_cast<form::FormToggleButton *>(widget());
}

QString ToggleButtonAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Name && button()->accessibleName().isEmpty())
        return form::shownCaption(button()->text());
    return QAccessibleWidget::text(t);
}

QAccessible::State ToggleButtonAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.pressed = button()->isDown() || button()->isChecked();
    addCovered(button(), state);
    return state;
}

QStringList ToggleButtonAccessible::actionNames() const
{
    if (!button()->isEnabled())
        return {};
    return {pressAction()};
}

void ToggleButtonAccessible::doAction(const QString &action)
{
    // Toggle is what assistive technology asks of a check box; here it
    // clicks as well.
    if (action == pressAction() || action == toggleAction()) {
        if (button()->isEnabled())
            button()->click();
        return;
    }
    QAccessibleWidget::doAction(action);
}

QStringList ToggleButtonAccessible::keyBindingsForAction(const QString &action) const
{
    const QKeySequence key = QKeySequence::mnemonic(button()->text());
    if (action != pressAction() || key.isEmpty())
        return {};
    return {key.toString(QKeySequence::NativeText)};
}

} // namespace accessibility
