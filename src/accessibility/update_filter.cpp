#include "accessibility/update_filter.h"

#include "accessibility/list_following.h"
#include "accessibility/update_filter_testing.h"
#include "platform/accessibility_bridge.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <optional>
#include <utility>

namespace accessibility::updates {
namespace {

struct ShowChange
{
    QPointer<QObject> control;
    std::optional<QAccessible::Event> change; // none: back as it was
};

// Everything the filter keeps from one event to the next.
struct State
{
    // Where what gets through goes: a test's recorder, or nothing, which means
    // Qt's own delivery to the desktop's accessibility bus.
    QAccessible::UpdateHandler next = nullptr;
    bool installed = false;
    bool withoutDesktop = false;
    // show_changes: controls shown or hidden since the program last waited.
    QList<ShowChange> pendingShowChanges;
    // focus_once: what the focus told last named, as the bridge names it.
    QPointer<QObject> focusTold;
    int focusToldChild = -1;
} state;

void deliver(QAccessibleEvent *event)
{
    if (state.next) {
        state.next(event);
        return;
    }
    // Qt 6.4 delivers to the desktop's bus only while no handler is installed,
    // and offers no other call for that delivery: the filter steps aside for
    // this one event and is back before anything else can run.
    QAccessible::installUpdateHandler(nullptr);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(&filter);
}

// Tells what show_changes holds back: of one window, ahead of its activation
// or a focus in it; of all (window null), once the program waits again.
void flush(const QWidget *window)
{
    QList<ShowChange> due;
    state.pendingShowChanges.removeIf([&](const ShowChange &change) {
        const auto *control = qobject_cast<const QWidget *>(change.control.data());
        if (window && (!control || control->window() != window))
            return false;
        due.append(change);
        return true;
    });
    for (const ShowChange &change : due) {
        if (!change.control || !change.change)
            continue;
        QAccessibleEvent told(change.control.data(), *change.change);
        deliver(&told);
    }
}

// A window becoming the active one, as Qt tells it: a change of the active
// state alone.
bool isActivation(const QAccessibleEvent *event)
{
    if (event->type() != QAccessible::StateChanged)
        return false;
    QAccessible::State activeOnly;
    activeOnly.active = true;
    if (static_cast<const QAccessibleStateChangeEvent *>(event)->changedStates() != activeOnly)
        return false;
    const QAccessibleInterface *window = event->accessibleInterface();
    return window && window->role() == QAccessible::Window && window->state().active;
}

// text_before_focus
// Qt tells a text box's focus only after its FocusIn handling has run, and
// that handling changes the box: Qt 6.4 reports a prompt taken away, Qt 6.8
// the whole text selected as Tab reaches a box that holds some. Orca took the
// caret move or the selection for the arrival, whenever it read that before
// the focus came, and never said which box was reached: at the exit window's
// first text field it has to say "Your name text." (scripts/orca_check.sh),
// and coming back to it by Shift+Tab "Your name text. Alice selected.", not
// "Alice selected" alone. Until its focus is told, a box's text changes are
// held back; the text and its selection are read with the focus anyway.
bool isTextChange(QAccessible::Event type)
{
    return type == QAccessible::TextInserted || type == QAccessible::TextRemoved ||
           type == QAccessible::TextUpdated || type == QAccessible::TextCaretMoved ||
           type == QAccessible::TextSelectionChanged;
}

bool textBeforeItsFocus(const QAccessibleEvent *event)
{
    if (!isTextChange(event->type()))
        return false;
    const QObject *box = event->object();
    return box && box == QApplication::focusWidget() && state.focusTold != box;
}

// show_changes
// Qt 6.4 reports a window shown and hidden again in one go (closing the
// result window shows the exit window and Back hides it at once). Orca looked
// at the window once it was hidden again and kept it as not visible for good,
// since Qt only ever tells that a window became showing, never that it became
// visible: after Alt+N, Alt+B and Alt+F4 it has to say "<window title> frame.
// Exit push button." and find the exit window's texts in flat review. So
// showing and hiding are told once the program waits again, and only when
// they stuck. The window's activation, or a focus inside it, shows that it
// stuck: where the window system activates a window as it is shown
// (Windows), both come before the program waits, and a screen reader heard
// the focus first and the window after it. What is waiting to be told of
// that window goes before them.
bool delayShowChange(const QAccessibleEvent *event)
{
    const QAccessible::Event type = event->type();
    const auto *widget = qobject_cast<const QWidget *>(event->object());
    if (!widget || event->child() >= 0 ||
        (type != QAccessible::ObjectShow && type != QAccessible::ObjectHide))
        return false;
    auto known = std::find_if(state.pendingShowChanges.begin(), state.pendingShowChanges.end(),
                              [widget](const ShowChange &c) { return c.control == widget; });
    if (known == state.pendingShowChanges.end()) {
        if (state.pendingShowChanges.isEmpty())
            QTimer::singleShot(0, qApp, [] { flush(nullptr); });
        state.pendingShowChanges.append({const_cast<QWidget *>(widget), type});
    } else if (!known->change) {
        known->change = type;
    } else if (*known->change != type) {
        known->change.reset();
    }
    return true;
}

// hidden_windows
// Qt 6.4 reports changes inside a window that is not shown: the exit window
// is built, hidden, at Next, and its controls change while it waits. A reader
// told of them looks at the hidden window and, as above, keeps it as not
// visible (the same Orca step). Nothing in a hidden window can be seen, so
// assistive technology hears nothing of it until it shows; that a control is
// gone is still told, and so is a window hidden as it closes no longer
// being the active one: Orca 48 kept the closed main window as the active
// window and asked about it at every key after it was gone.
bool windowLeftActive(const QAccessibleEvent *event, const QWidget *widget)
{
    return widget->isWindow() && event->type() == QAccessible::StateChanged &&
           static_cast<const QAccessibleStateChangeEvent *>(event)->changedStates().active &&
           !widget->isActiveWindow();
}

bool inHiddenWindow(const QAccessibleEvent *event)
{
    const auto *widget = qobject_cast<const QWidget *>(event->object());
    return widget && event->type() != QAccessible::ObjectDestroyed &&
           !widget->window()->isVisible() && !windowLeftActive(event, widget);
}

// focus_once
// Qt tells the focus again each time it activates a window anew, though the
// focus did not move, and a window system may activate a newly shown window
// more than once. Where the desktop's bridge tells a focus as the part that
// has it (Windows), a window becoming active is told as the control focused
// in it, and a list getting the focus as its current entry; Qt then tells
// that control's or entry's focus a second time. Under Wine a UI Automation
// client heard the first button of every new window, and the first entry of
// an opened list, twice from the program. A focus is told once for each
// move: an event naming what the focus told last named, as the bridge names
// it, is held back. While an open list or menu has the focus, a window
// becoming active would have the bridge name a control that has not got it:
// such an activation is held back too. Once the user has been in another
// program, the focus on return is told again.
using Named = std::pair<QObject *, int>;

// An accessible as events name it: its object, or for a part without one (an
// entry of a list), its parent's object and its place there.
std::optional<Named> nameOf(const QAccessibleInterface *accessible)
{
    if (!accessible)
        return std::nullopt;
    if (accessible->object())
        return Named{accessible->object(), -1};
    QAccessibleInterface *parent = accessible->parent();
    const int place = parent ? parent->indexOfChild(accessible) : -1;
    if (!parent || !parent->object() || place < 0)
        return std::nullopt;
    return Named{parent->object(), place};
}

// What an event tells has the focus, as the bridge names it, if it tells
// that at all.
std::optional<Named> focusNamedBy(const QAccessibleEvent *event)
{
    const bool partTold = platform::bridgeTellsFocusedPart;
    if (event->type() == QAccessible::Focus) {
        const Named named{event->object(), event->child()};
        const QAccessibleInterface *control =
            event->child() < 0 ? event->accessibleInterface() : nullptr;
        if (!partTold || !control || control->childCount() == 0)
            return named;
        return nameOf(control->focusChild()).value_or(named);
    }
    if (!partTold || !isActivation(event))
        return std::nullopt;
    return nameOf(event->accessibleInterface()->focusChild());
}

bool repeatsFocus(const QAccessibleEvent *event)
{
    if (platform::bridgeTellsFocusedPart && isActivation(event) &&
        QApplication::activePopupWidget())
        return true; // an activation behind an open list or menu
    const auto named = focusNamedBy(event);
    if (!named)
        return false;
    if (state.focusTold && state.focusTold == named->first && state.focusToldChild == named->second)
        return true;
    state.focusTold = named->first;
    state.focusToldChild = named->second;
    return false;
}

// chosen_in_open_list
// Qt 6.8 tells the list's new value once the open list has closed on the
// entry chosen in it, which the open list told already, and the list's
// focus says it once more. Orca 48 read the value as a selection and said
// the entry again with "not selected" after Return in the open ailment list.
bool chosenInOpenList(const QAccessibleEvent *event)
{
    return event->type() == QAccessible::ValueChanged && choosingInOpenList(event->object());
}

// A rule holds back, or takes to tell later, the events of one fault.
struct Rule
{
    const char *name;
    bool (*holdsBack)(const QAccessibleEvent *event);
};

// The rules in the order they are asked; the first that takes an event ends
// its way. Beside each: why it stands there, and the rows of tst_screen_reader
// that guard it.
const Rule rules[] = {
    // Text changes are no later rule's business but hidden_windows', which
    // drops those of a hidden box as well: any place would do. Guarded by
    // "focus into a field showing its prompt" and "focus into a field
    // holding text".
    {"text_before_focus", &textBeforeItsFocus},
    // Before hidden_windows: a window hiding is in a hidden window by the
    // time Qt tells it, and would be dropped there; its showing is told here
    // once it stuck. Guarded by "a window shown", "a window shown and hidden
    // at once", "a window activated as it shows", "a window hidden on its own".
    {"show_changes", &delayShowChange},
    // Before focus_once: a focus in a hidden window that counted as told
    // would make the real one, once the window shows, a repeat. Guarded by
    // "a change in a hidden window" and hiddenWindowTellsItsDeactivation.
    {"hidden_windows", &inHiddenWindow},
    // After every rule that could drop a focus or an activation, so that
    // what it keeps as told was told. Guarded by "the window activated again,
    // the focus where it was", "back from another program, the focus where it
    // was", "the list opened" and filterAtItsEdges's activation behind the
    // open list.
    {"focus_once", &repeatsFocus},
    // Value changes are no other rule's: last, as any place would do.
    // Guarded by "an entry chosen in the open list".
    {"chosen_in_open_list", &chosenInOpenList},
};

} // namespace

void filter(QAccessibleEvent *event)
{
    // Qt 6.8 hands over its events whether anyone listens or not. None of them
    // is looked at: what nobody heard must not count as told.
    if (!listening())
        return;
    for (const Rule &rule : rules)
        if (rule.holdsBack(event))
            return;
    const auto *widget = qobject_cast<const QWidget *>(event->object());
    if (widget && (event->type() == QAccessible::Focus || isActivation(event)))
        flush(widget->window());
    deliver(event);
}

bool listening()
{
    return QAccessible::isActive() || state.withoutDesktop;
}

void tell(QAccessibleEvent *event)
{
    if (QAccessible::isActive())
        QAccessible::updateAccessibility(event);
    else if (state.withoutDesktop)
        filter(event);
}

void listenWithoutDesktop(bool on)
{
    state.withoutDesktop = on;
}

QAccessible::UpdateHandler passOnTo(QAccessible::UpdateHandler handler)
{
    return std::exchange(state.next, handler);
}

void install()
{
    if (state.installed)
        return;
    state.installed = true;
    state.next = QAccessible::installUpdateHandler(&filter);
    QObject::connect(qApp, &QGuiApplication::applicationStateChanged, qApp,
                     [](Qt::ApplicationState now) {
                         if (now != Qt::ApplicationActive)
                             state.focusTold = nullptr;
                     });
}

} // namespace accessibility::updates
