#include "accessibility/control_interfaces.h"

#include "accessibility/accessibility.h"
#include "accessibility/list_accessible.h"
#include "accessibility/update_filter.h"
#include "forms/form_builder.h"
#include "forms/form_covering.h"
#include "forms/form_label.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QKeySequence>
#include <QLibraryInfo>
#include <QPointer>
#include <QPushButton>
#include <QVersionNumber>

namespace accessibility {

void addCovered(const QWidget *control, QAccessible::State &state)
{
    if (form::isCovered(control))
        state.invisible = true;
}

OwnedPart::~OwnedPart()
{
    if (m_id && QAccessible::accessibleInterface(m_id))
        QAccessible::deleteAccessibleInterface(m_id);
}

QAccessibleInterface *OwnedPart::get() const
{
    if (!m_id)
        m_id = QAccessible::registerAccessibleInterface(m_make());
    return QAccessible::accessibleInterface(m_id);
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

namespace {

// The words a frame shows, as one text that a reader goes through after the
// button described with it, and then on to what follows the button. It is
// nobody's child: a review of the window still finds each word where it is.
// Orca 48's say-all follows "flows to" and reads what has a text; without
// the way on, it went from the words through the window back to the button,
// and round again.
class FrameWords : public Part
{
public:
    // The frame is the one the button is described with now: a window shown
    // again may show its other frame.
    explicit FrameWords(const ButtonAccessible *button)
        : m_button(button), m_widget(static_cast<QWidget *>(button->object())),
          m_text([this] { return frame() ? readingOrderText(frame()) : QString(); },
                 [] { return false; }, m_widget, [this] { return m_widget->rect(); })
    {
    }

    bool isValid() const override { return frame(); }
    QWindow *window() const override
    {
        return m_widget ? m_widget->window()->windowHandle() : nullptr;
    }
    QList<QPair<QAccessibleInterface *, QAccessible::Relation>>
    relations(QAccessible::Relation match) const override
    {
        QAccessibleInterface *container = m_widget ? m_button->parent() : nullptr;
        const int place = container ? container->indexOfChild(m_button) : -1;
        QAccessibleInterface *after = place >= 0 ? container->child(place + 1) : nullptr;
        if (!after || !(match & flowFromIt))
            return {};
        return {{after, flowFromIt}};
    }
    QAccessibleInterface *parent() const override
    {
        return frame() ? QAccessible::queryAccessibleInterface(frame()) : nullptr;
    }
    QString text(QAccessible::Text) const override { return {}; }
    QRect rect() const override { return screenRect(frame()); }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.readOnly = true;
        state.invisible = !frame() || !frame()->isVisible();
        return state;
    }
    void *interface_cast(QAccessible::InterfaceType t) override
    {
        return t == QAccessible::TextInterface ? static_cast<QAccessibleTextInterface *>(&m_text)
                                               : nullptr;
    }

    // Each relation names what the other object is to this one: what comes
    // next flows from this. The value is Qt 6.8's, which the desktop bridge
    // of an older Qt does not know.
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    static constexpr QAccessible::Relation flowFromIt = QAccessible::FlowsFrom;
#else
    static constexpr auto flowFromIt = static_cast<QAccessible::Relation>(0x40);
#endif

private:
    QWidget *frame() const
    {
        return m_widget ? describedFrame(m_widget) : nullptr;
    }

    const ButtonAccessible *m_button;
    QPointer<QWidget> m_widget;
    ShownText m_text;
};

} // namespace

bool runsOnQt68()
{
    static const bool atLeast = QLibraryInfo::version() >= QVersionNumber(6, 8);
    return atLeast;
}

ButtonAccessible::ButtonAccessible(QAbstractButton *button)
    : QAccessibleWidget(button, QAccessible::Button),
      m_frameWords([this] { return new FrameWords(this); })
{
}

QAbstractButton *ButtonAccessible::button() const
{
    return static_cast<QAbstractButton *>(widget());
}

QString ButtonAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Name && button()->accessibleName().isEmpty())
        return form::shownCaption(button()->text());
    return QAccessibleWidget::text(t);
}

QAccessible::State ButtonAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.pressed = button()->isDown() || button()->isChecked();
    if (const auto *push = qobject_cast<const QPushButton *>(button()))
        state.defaultButton = push->isDefault();
    addCovered(button(), state);
    return state;
}

QList<QPair<QAccessibleInterface *, QAccessible::Relation>>
ButtonAccessible::relations(QAccessible::Relation match) const
{
    // The frame's words flow from the button, and what follows the button
    // from them.
    auto found = QAccessibleWidget::relations(match);
    QWidget *frame = describedFrame(button());
    if ((match & FrameWords::flowFromIt) && frame && runsOnQt68() &&
        !readingOrderText(frame).isEmpty())
        found.append({m_frameWords.get(), FrameWords::flowFromIt});
    return found;
}

QStringList ButtonAccessible::actionNames() const
{
    if (!button()->isEnabled())
        return {};
    return {pressAction()};
}

void ButtonAccessible::doAction(const QString &action)
{
    // Toggle is what assistive technology asks of a check box; here it
    // clicks as well.
    if (action == pressAction() || action == toggleAction()) {
        if (!button()->isEnabled())
            return;
        // A push button may open a modal box or end the program: the action
        // answers first and the button clicks a moment later, shown pressed
        // meanwhile, as Qt's own does.
        if (button()->isCheckable())
            button()->click();
        else
            button()->animateClick();
        return;
    }
    QAccessibleWidget::doAction(action);
}

QStringList ButtonAccessible::keyBindingsForAction(const QString &action) const
{
    const QKeySequence key = QKeySequence::mnemonic(button()->text());
    if (action != pressAction() || key.isEmpty())
        return {};
    return {key.toString(QKeySequence::NativeText)};
}

} // namespace accessibility
