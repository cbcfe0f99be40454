#include "accessibility/list_following.h"

#include "accessibility/control_interfaces.h"
#include "accessibility/update_filter.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QPointer>
#include <QSignalBlocker>
#include <QTimer>

namespace accessibility {
namespace {

class ListWatch : public QObject
{
public:
    explicit ListWatch(QComboBox *list) : QObject(list), m_list(list)
    {
        list->installEventFilter(this);
        if (list->view()) {
            m_popup = list->view()->window();
            m_popup->installEventFilter(this);
        }
        connect(list, &QComboBox::currentTextChanged, this, &ListWatch::announceEntry);
        connect(list, &QComboBox::currentIndexChanged, this, &ListWatch::leavePopupAlone);
        leavePopupAlone();
    }

    // The entry is being chosen in the open list: the popup is open or
    // closing.
    bool choosingInPopup() const
    {
        return m_closing || (m_list->view() && m_list->view()->isVisible());
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool typeOnClosedList(QKeyEvent *key);
    void leavePopupAlone();
    void giveBackEntry();
    void announceEntry(const QString &shown);
    void announceOpenEntry();

    QComboBox *m_list;
    QPointer<QWidget> m_popup;
    bool m_forwarding = false;
    bool m_closing = false;
};

bool ListWatch::eventFilter(QObject *watched, QEvent *event)
{
    // Nothing here asks the list anything unless it is a show, hide or key
    // press: the popup sends other events while the list is destroyed.
    if (m_popup && watched == m_popup && watched != m_list) {
        if (event->type() == QEvent::Show) {
            giveBackEntry();
            QTimer::singleShot(0, this, &ListWatch::announceOpenEntry);
        } else if (event->type() == QEvent::Hide) {
            // Qt closes the popup first and then takes the entry chosen in it.
            m_closing = true;
            QTimer::singleShot(0, this, [this] {
                m_closing = false;
                leavePopupAlone();
            });
        }
        return false;
    }
    if (watched == m_list && event->type() == QEvent::KeyPress && !m_forwarding)
        return typeOnClosedList(static_cast<QKeyEvent *>(event));
    return false;
}

// ---------------------------------------------------------------------------
// Each new entry of the closed list
// Qt 6.4 tells nothing when the closed list shows another entry (only its
// hidden popup's list moves). Orca then repeats the old entry or says
// nothing: Down on the closed ailment list has to say "Sinus Problems", Up
// "Toothache", Home "Toothache". The new entry is told as a text inserted
// over the selected one; a reader that heard the old one removed would say
// that the selected text was deleted. Qt 6.8 tells the list's new value
// itself, and a second announcement would only repeat it. Which Qt tells
// what is the Qt the program runs on: a package built on 6.4 runs on 6.8.
void ListWatch::announceEntry(const QString &shown)
{
    if (runsOnQt68() || !updates::listening() || shown.isEmpty() || choosingInPopup())
        return; // an entry chosen in the open list was heard there
    QAccessibleTextInsertEvent event(m_list, 0, shown);
    updates::tell(&event);
}

// ---------------------------------------------------------------------------
// The hidden popup's entry
// The popup's list keeps the list's current entry while it is closed, and
// that entry reports itself as focused: on Qt 6.8 always, on Qt 6.4 once a
// letter typed on the closed list picked it (below). Orca said the popup's
// item, and whoever asked which object has the focus found an entry of a
// list that is not shown: the letter c on the closed ailment list has to say
// "Cough" and nothing of a popup. While the popup is closed its list has no
// current entry, and it gets the list's entry back as it opens (Qt 6.4 does
// that itself, Qt 6.8 counts on the popup's list never losing it). Taking
// the entry away is done quietly, so the popup tells nothing of it.
void ListWatch::leavePopupAlone()
{
    QAbstractItemView *popup = m_list->view();
    if (!popup || popup->isVisible() || !popup->selectionModel())
        return;
    const QSignalBlocker quiet(popup->selectionModel());
    popup->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
}

void ListWatch::giveBackEntry()
{
    QAbstractItemView *popup = m_list->view();
    if (!popup || !popup->selectionModel() || popup->currentIndex().isValid())
        return;
    const QModelIndex shown = m_list->model()->index(m_list->currentIndex(), m_list->modelColumn(),
                                                     m_list->rootModelIndex());
    if (!shown.isValid())
        return;
    popup->selectionModel()->setCurrentIndex(shown, QItemSelectionModel::ClearAndSelect);
    popup->scrollTo(shown);
}

// ---------------------------------------------------------------------------
// A letter typed on the closed list
// Qt picks the next entry starting with the letter through the hidden
// popup's list, which then reports its new current entry as focused and,
// on Qt 6.4, tells it. The popup's list is kept quiet while Qt picks, and
// its current entry is taken back afterwards; the list itself announces
// what it shows now.
bool ListWatch::typeOnClosedList(QKeyEvent *key)
{
    QAbstractItemView *popup = m_list->view();
    // Space opens the list, and a key with Ctrl or Alt is a command.
    const QString typed = key->text();
    if (typed.isEmpty() || !typed.at(0).isPrint() || typed.at(0).isSpace() ||
        (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) || !popup ||
        popup->isVisible() || !popup->selectionModel())
        return false;
    {
        const QSignalBlocker quiet(popup->selectionModel());
        m_forwarding = true;
        static_cast<QObject *>(m_list)->event(key);
        m_forwarding = false;
    }
    leavePopupAlone();
    return true;
}

// ---------------------------------------------------------------------------
// The entry of the list as it opens
// Qt 6.4 reports the popup's list as focused when it opens, but not its
// entry when that was current already: Orca said how many entries there are
// and not which one the user is on. Alt+Down on the ailment list has to say
// "List with 11 items. Toothache." The entry follows once the popup shows.
void ListWatch::announceOpenEntry()
{
    QAbstractItemView *popup = m_list->view();
    if (!updates::listening() || !popup || !popup->isVisible() || !popup->currentIndex().isValid())
        return;
    QAccessibleEvent event(popup, QAccessible::Focus);
    event.setChild(popup->currentIndex().row());
    updates::tell(&event);
}

ListWatch *watchOf(const QComboBox *list)
{
    for (QObject *child : list->children())
        if (auto *watch = dynamic_cast<ListWatch *>(child))
            return watch;
    return nullptr;
}
} // namespace

bool choosingInOpenList(const QObject *object)
{
    const auto *list = qobject_cast<const QComboBox *>(object);
    const ListWatch *watch = list ? watchOf(list) : nullptr;
    return watch && watch->choosingInPopup();
}

void followList(QComboBox *list)
{
    if (!watchOf(list))
        new ListWatch(list);
}

} // namespace accessibility
