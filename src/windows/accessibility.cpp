#include "windows/accessibility.h"

#include "windows/form_builder.h"
#include "windows/form_label.h"
#include "windows/screen_reader.h"
#include "windows/toggle_button.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QGroupBox>
#include <QKeySequence>
#include <QPointer>
#include <QSet>

namespace windows::accessibility {
namespace {

using Relations = QList<QPair<QAccessibleInterface *, QAccessible::Relation>>;

// A transparent label in front leaves what lies behind it readable; a frame,
// an opaque label or a control that paints itself fully hides it.
bool paintsWholeBox(const QWidget *widget)
{
    return widget->autoFillBackground() || widget->testAttribute(Qt::WA_OpaquePaintEvent);
}

bool coveredBySibling(const QWidget *widget)
{
    const QWidget *parent = widget->parentWidget();
    if (!parent || widget->isWindow())
        return false;
    const QObjectList &siblings = parent->children();
    // Later children lie in front of earlier ones.
    for (qsizetype i = siblings.indexOf(const_cast<QWidget *>(widget)) + 1;
         i > 0 && i < siblings.size(); ++i) {
        const auto *sibling = qobject_cast<const QWidget *>(siblings.at(i));
        if (sibling && !sibling->isWindow() && !sibling->isHidden() && paintsWholeBox(sibling) &&
            sibling->geometry().contains(widget->geometry()))
            return true;
    }
    return false;
}

void addCovered(const QWidget *widget, QAccessible::State &state)
{
    if (isCovered(widget))
        state.invisible = true;
}

// A form label: a link when something reacts to its clicks, otherwise text.
// Links stay out of the tab order like every label; their action is how a
// screen reader or switch access follows them.
class LabelAccessible : public QAccessibleWidget
{
public:
    explicit LabelAccessible(FormLabel *label) : QAccessibleWidget(label, QAccessible::StaticText)
    {
    }

    QAccessible::Role role() const override
    {
        return label()->isLink() ? QAccessible::Link : QAccessible::StaticText;
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && label()->accessibleName().isEmpty())
            return label()->text();
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.linked = label()->isLink();
        addCovered(label(), state);
        return state;
    }

    QStringList actionNames() const override
    {
        if (label()->isLink() && label()->isEnabled())
            return {pressAction()};
        return QAccessibleWidget::actionNames();
    }

    void doAction(const QString &action) override
    {
        if (action == pressAction()) {
            if (label()->isEnabled())
                label()->activate();
            return;
        }
        QAccessibleWidget::doAction(action);
    }

    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    FormLabel *label() const { return static_cast<FormLabel *>(widget()); }
};

// What a list is called. Nothing draws it: the form shows the list bare.
// Assistive technology on the desktop reads a drop-down list by the entry
// it shows and learns what the list holds from the label pointing at it.
class ListCaption : public QAccessibleInterface
{
public:
    explicit ListCaption(QComboBox *list) : m_list(list) {}

    bool isValid() const override { return m_list; }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_list ? m_list->window()->windowHandle() : nullptr; }
    Relations relations(QAccessible::Relation match) const override
    {
        if (!m_list || !(match & QAccessible::Labelled))
            return {};
        return {{QAccessible::queryAccessibleInterface(m_list), QAccessible::Labelled}};
    }
    QAccessibleInterface *focusChild() const override { return nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *parent() const override
    {
        return m_list ? QAccessible::queryAccessibleInterface(m_list) : nullptr;
    }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name && m_list ? m_list->accessibleName() : QString();
    }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override
    {
        if (!m_list)
            return {};
        return QRect(m_list->mapToGlobal(QPoint(0, 0)), m_list->size());
    }
    QAccessible::Role role() const override { return QAccessible::StaticText; }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.invisible = !m_list || !m_list->isVisible() || isCovered(m_list);
        return state;
    }

private:
    QPointer<QComboBox> m_list;
};

// A selection-only drop-down list, as Qt describes one, with the form's name
// for it given as its label instead of the caption of the frame around it.
class ListAccessible : public QAccessibleWidget
{
public:
    explicit ListAccessible(QComboBox *list) : QAccessibleWidget(list, QAccessible::ComboBox) {}

    // The entry shown is the list's text, as a screen reader reads a list's value.
    void *interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(&m_shown);
        return QAccessibleWidget::interface_cast(t);
    }
    ~ListAccessible() override
    {
        // The cache may have deleted it already, when it empties at exit.
        if (m_captionId && QAccessible::accessibleInterface(m_captionId))
            QAccessible::deleteAccessibleInterface(m_captionId);
    }

    int childCount() const override { return list()->view() ? 1 : 0; }
    QAccessibleInterface *child(int index) const override
    {
        return index == 0 && list()->view() ? QAccessible::queryAccessibleInterface(list()->view())
                                            : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return child && list()->view() && child->object() == list()->view() ? 0 : -1;
    }
    // The open list lies in a window of its own.
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name || t == QAccessible::Value)
            return list()->currentText();
        return QAccessibleWidget::text(t);
    }

    Relations relations(QAccessible::Relation match) const override
    {
        if (list()->accessibleName().isEmpty())
            return QAccessibleWidget::relations(match);
        Relations found =
            QAccessibleWidget::relations(match & ~QAccessible::Relation(QAccessible::Label));
        if (match & QAccessible::Label)
            found.append({caption(), QAccessible::Label});
        return found;
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.expandable = true;
        state.expanded = list()->view() && list()->view()->isVisible();
        state.editable = list()->isEditable();
        addCovered(list(), state);
        return state;
    }

    QStringList actionNames() const override
    {
        if (!list()->isEnabled())
            return {};
        return {showMenuAction(), pressAction()};
    }
    void doAction(const QString &action) override
    {
        if (!list()->isEnabled() || (action != showMenuAction() && action != pressAction()))
            return;
        if (list()->view() && list()->view()->isVisible())
            list()->hidePopup();
        else
            list()->showPopup();
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    QComboBox *list() const { return static_cast<QComboBox *>(widget()); }
    QAccessibleInterface *caption() const
    {
        if (!m_captionId)
            m_captionId = QAccessible::registerAccessibleInterface(new ListCaption(list()));
        return QAccessible::accessibleInterface(m_captionId);
    }

    mutable QAccessible::Id m_captionId = 0;
    screenreader::ShownText m_shown{[this] { return list()->currentText(); },
                                    [this] { return list()->hasFocus(); }};
};

// A frame, as Qt describes one, that is not reported as showing while
// another frame lies over it.
class FrameAccessible : public QAccessibleWidget
{
public:
    explicit FrameAccessible(QGroupBox *frame) : QAccessibleWidget(frame, QAccessible::Grouping) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && frame()->accessibleName().isEmpty())
            return form::shownCaption(frame()->title());
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        addCovered(frame(), state);
        return state;
    }

    // The caption labels the controls inside that take it as their label.
    Relations relations(QAccessible::Relation match) const override
    {
        Relations found = QAccessibleWidget::relations(match);
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

private:
    QGroupBox *frame() const { return static_cast<QGroupBox *>(widget()); }
};

// A check box drawn as a push button that springs back at once: it behaves
// as a push button, so it is one to assistive technology, and every way of
// pressing it is a click.
class ToggleButtonAccessible : public QAccessibleWidget
{
public:
    explicit ToggleButtonAccessible(FormToggleButton *button)
        : QAccessibleWidget(button, QAccessible::Button)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && button()->accessibleName().isEmpty())
            return form::shownCaption(button()->text());
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.pressed = button()->isDown() || button()->isChecked();
        addCovered(button(), state);
        return state;
    }

    QStringList actionNames() const override
    {
        if (!button()->isEnabled())
            return {};
        return {pressAction()};
    }
    void doAction(const QString &action) override
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
    QStringList keyBindingsForAction(const QString &action) const override
    {
        const QKeySequence key = QKeySequence::mnemonic(button()->text());
        if (action != pressAction() || key.isEmpty())
            return {};
        return {key.toString(QKeySequence::NativeText)};
    }

private:
    FormToggleButton *button() const { return static_cast<FormToggleButton *>(widget()); }
};

QAccessibleInterface *factory(const QString &className, QObject *object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    if (className == QLatin1String("windows::FormLabel"))
        return new LabelAccessible(static_cast<FormLabel *>(object));
    if (className == QLatin1String("windows::FormToggleButton"))
        return new ToggleButtonAccessible(static_cast<FormToggleButton *>(object));
    if (className == QLatin1String("QComboBox"))
        return new ListAccessible(static_cast<QComboBox *>(object));
    if (className == QLatin1String("QGroupBox"))
        return new FrameAccessible(static_cast<QGroupBox *>(object));
    return nullptr;
}

} // namespace

void install()
{
    // Qt asks the factory installed last first, so this one is asked before
    // Qt's own, which the application object installed.
    static const bool installed = [] {
        screenreader::install();
        QAccessible::installFactory(&factory);
        return true;
    }();
    (void)installed;
}

bool isCovered(const QWidget *control)
{
    for (const QWidget *widget = control; widget && !widget->isWindow();
         widget = widget->parentWidget())
        if (coveredBySibling(widget))
            return true;
    return false;
}

QSet<QWidget *> coveredControls(const QWidget *parent)
{
    QSet<QWidget *> covered;
    if (!parent)
        return covered;
    for (QWidget *widget : parent->findChildren<QWidget *>())
        if (isCovered(widget))
            covered.insert(widget);
    return covered;
}

void reportCoverageChanges(const QWidget *parent, const QSet<QWidget *> &coveredBefore)
{
    if (!parent || !QAccessible::isActive())
        return;
    for (QWidget *widget : parent->findChildren<QWidget *>()) {
        if (isCovered(widget) == coveredBefore.contains(widget))
            continue;
        QAccessible::State changed;
        changed.invisible = true;
        QAccessibleStateChangeEvent event(widget, changed);
        QAccessible::updateAccessibility(&event);
    }
}

} // namespace windows::accessibility
