#include "accessibility/list_following.h"

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
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool typeOnClosedList(QKeyEvent *key);
    void announceEntry(const QString &shown);
    void announceOpenEntry();
    bool choosingInPopup() const
    {
        return m_closing || (m_list->view() && m_list->view()->isVisible());
    }

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
            QTimer::singleShot(0, this, &ListWatch::announceOpenEntry);
        } else if (event->type() == QEvent::Hide) {
            // Qt closes the popup first and then takes the entry chosen in it.
            m_closing = true;
            QTimer::singleShot(0, this, [this] { m_closing = false; });
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
// that the selected text was deleted.
void ListWatch::announceEntry(const QString &shown)
{
    if (!updates::listening() || shown.isEmpty() || choosingInPopup())
        return; // an entry chosen in the open list was heard there
    QAccessibleTextInsertEvent event(m_list, 0, shown);
    updates::tell(&event);
}

// ---------------------------------------------------------------------------
// A letter typed on the closed list
// Qt 6.4 picks the next entry starting with the letter through the hidden
// popup's list, which then reports that entry as focused although it never
// opened: Orca said the popup's item, and whoever asked which object has
// the focus found an item of a list that is not shown. The letter c on the
// closed ailment list has to say "Cough" and nothing of a popup. The popup's
// bookkeeping is kept quiet while Qt picks, and its current entry is taken
// back afterwards: the list itself announces what it shows now, and the
// popup takes the current entry from the list again when it opens.
bool ListWatch::typeOnClosedList(QKeyEvent *key)
{
    QAbstractItemView *popup = m_list->view();
    // Space opens the list, and a key with Ctrl or Alt is a command.
    const QString typed = key->text();
    if (typed.isEmpty() || !typed.at(0).isPrint() || typed.at(0).isSpace() ||
        (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) || !popup ||
        popup->isVisible() || !popup->selectionModel())
        return false;
    QItemSelectionModel *picks = popup->selectionModel();
    const QSignalBlocker quiet(picks);
    m_forwarding = true;
    static_cast<QObject *>(m_list)->event(key);
    m_forwarding = false;
    picks->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
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

} // namespace

void followList(QComboBox *list)
{
    for (QObject *child : list->children())
        if (dynamic_cast<ListWatch *>(child))
            return;
    new ListWatch(list);
}

} // namespace accessibility
