#include "accessibility/list_accessible.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFontMetrics>
#include <QPointer>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <algorithm>

namespace accessibility {
namespace {

// What a list is called. Nothing draws it: the form shows the list bare.
// The list carries the same name; assistive technology on the desktop also
// learns what a list holds from the label pointing at it.
class ListCaption : public Part
{
public:
    explicit ListCaption(QComboBox *list) : m_list(list) {}

    bool isValid() const override { return m_list; }
    QWindow *window() const override { return m_list ? m_list->window()->windowHandle() : nullptr; }
    QList<QPair<QAccessibleInterface *, QAccessible::Relation>>
    relations(QAccessible::Relation match) const override
    {
        if (!m_list || !(match & QAccessible::Labelled))
            return {};
        return {{QAccessible::queryAccessibleInterface(m_list), QAccessible::Labelled}};
    }
    QAccessibleInterface *parent() const override
    {
        return m_list ? QAccessible::queryAccessibleInterface(m_list) : nullptr;
    }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name && m_list ? m_list->accessibleName() : QString();
    }
    QRect rect() const override { return screenRect(m_list); }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.invisible = !m_list || !m_list->isVisible();
        if (m_list)
            addCovered(m_list, state);
        return state;
    }

private:
    QPointer<QComboBox> m_list;
};
// Where the closed list draws its entry, as its style lays it out.
QRect entryBox(const QComboBox *list)
{
    QStyleOptionComboBox option;
    option.initFrom(list);
    option.editable = list->isEditable();
    option.frame = list->hasFrame();
    option.currentText = list->currentText();
    return list->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField,
                                         list);
}
} // namespace

ShownText::ShownText(std::function<QString()> text, std::function<bool()> selected,
                     const QWidget *owner, std::function<QRect()> box)
    : m_text(std::move(text)), m_selected(std::move(selected)), m_owner(owner),
      m_box(std::move(box))
{
}

QRect ShownText::characterRect(int offset) const
{
    const QString all = m_text();
    if (!m_owner || offset < 0 || offset >= all.size())
        return {};
    const QFontMetrics metrics(m_owner->font());
    const QRect box = m_box();
    const int left = box.left() + metrics.horizontalAdvance(all.left(offset));
    const int top = box.top() + (box.height() - metrics.height()) / 2;
    const QRect local(left, top, metrics.horizontalAdvance(all.at(offset)), metrics.height());
    return QRect(m_owner->mapToGlobal(local.topLeft()), local.size());
}

int ShownText::selectionCount() const
{
    return m_selected() && characterCount() > 0 ? 1 : 0;
}

void ShownText::selection(int selectionIndex, int *startOffset, int *endOffset) const
{
    *startOffset = *endOffset = 0;
    if (selectionIndex == 0 && selectionCount() == 1)
        *endOffset = characterCount();
}

ListAccessible::ListAccessible(QComboBox *list)
    : QAccessibleWidget(list, QAccessible::ComboBox),
      m_caption([list] { return new ListCaption(list); }),
      m_shown([list] { return list->currentText(); }, [list] { return list->hasFocus(); }, list,
              [list] { return entryBox(list); })
{
}

QComboBox *ListAccessible::list() const
{
    return static_cast<QComboBox *>(widget());
}

// Which entry is selected is the popup's business: Qt 6.8 describes the
// popup's list with a selection, its entry for the shown one, and Orca 48
// says a closed list's new entry only when the list has a selection to read
// it from. The selection interface came with Qt 6.5; a program built on an
// older Qt still hands it on when it runs on a newer one.
constexpr auto selectionType =
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    QAccessible::SelectionInterface;
#else
    static_cast<QAccessible::InterfaceType>(QAccessible::HyperlinkInterface + 1);
#endif

void *ListAccessible::interface_cast(QAccessible::InterfaceType t)
{
    if (t == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface *>(&m_shown);
    if (t == selectionType && list()->view()) {
        QAccessibleInterface *popup = QAccessible::queryAccessibleInterface(list()->view());
        return popup ? popup->interface_cast(t) : nullptr;
    }
    return QAccessibleWidget::interface_cast(t);
}

int ListAccessible::childCount() const
{
    return list()->view() ? 1 : 0;
}

QAccessibleInterface *ListAccessible::child(int index) const
{
    return index == 0 && list()->view() ? QAccessible::queryAccessibleInterface(list()->view())
                                        : nullptr;
}

int ListAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    return child && list()->view() && child->object() == list()->view() ? 0 : -1;
}

QString ListAccessible::text(QAccessible::Text t) const
{
    // Named by its label, as a screen reader on Windows reads the name and
    // takes the entry from the value; the desktop bus reads the same.
    if (t == QAccessible::Name && !list()->accessibleName().isEmpty())
        return list()->accessibleName();
    if (t == QAccessible::Name || t == QAccessible::Value)
        return list()->currentText();
    return QAccessibleWidget::text(t);
}

QList<QPair<QAccessibleInterface *, QAccessible::Relation>>
ListAccessible::relations(QAccessible::Relation match) const
{
    if (list()->accessibleName().isEmpty())
        return QAccessibleWidget::relations(match);
    auto found = QAccessibleWidget::relations(match & ~QAccessible::Relation(QAccessible::Label));
    if (match & QAccessible::Label)
        found.append({m_caption.get(), QAccessible::Label});
    return found;
}

QAccessible::State ListAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.expandable = true;
    state.expanded = list()->view() && list()->view()->isVisible();
    state.editable = list()->isEditable();
    addCovered(list(), state);
    return state;
}

QStringList ListAccessible::actionNames() const
{
    if (!list()->isEnabled())
        return {};
    return {showMenuAction(), pressAction()};
}

void ListAccessible::doAction(const QString &action)
{
    if (!list()->isEnabled() || (action != showMenuAction() && action != pressAction()))
        return;
    if (list()->view() && list()->view()->isVisible())
        list()->hidePopup();
    else
        list()->showPopup();
}

} // namespace accessibility
