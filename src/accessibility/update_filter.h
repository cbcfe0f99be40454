#pragma once

class QAccessibleEvent;

// The one filter every accessibility event passes before it reaches assistive
// technology. It holds back or delays, in this order:
//
//   1. text and caret changes of a text box taking its prompt away as it
//      gets the focus: held back (prompt_clearing below);
//   2. a control shown or hidden: delayed until the program waits for input
//      again, and dropped when it is back as it was by then (show_changes);
//   3. anything else about a control in a hidden window, but a window's own
//      leaving the active state: held back (hidden_windows);
//   4. a focus naming what the focus told last named: held back; where the
//      desktop's bridge tells a focus as the part that has it, a window's
//      activation counts as a focus on the control focused in it, and a
//      list's focus as one on its current entry (focus_once);
//   5. a list's new value chosen in its open list: held back, the open list
//      told the entry already (chosen_in_open_list).
//
// Everything else passes unchanged and at once; a window's activation or a
// focus inside it, when its showing is still to be told, comes after that
// (show_changes). Nothing passes while nobody listens.
namespace accessibility::updates {

// Installs the filter in front of whatever update handler is there (none in
// the program: Qt's own delivery to the desktop; a recorder in a test). Only
// the first call does anything.
void install();

// Hands an event to assistive technology past the filter: for events the
// program makes up itself once it has decided they are due.
void deliver(QAccessibleEvent *event);

// Whether anyone listens: events made up by the program are only made then.
bool listening();

// Tells an event the program makes up itself, through the filter like any.
void tell(QAccessibleEvent *event);

// The filter itself, as Qt calls it with each of its events.
void filter(QAccessibleEvent *event);

// Where no desktop listens (the offscreen platform of the tests) Qt makes no
// events at all. A test then plays Qt's part: it turns listening on, calls
// filter() with the events Qt would send, and finds what got through in the
// handler that was installed before the filter.
void listenWithoutDesktop(bool on);

} // namespace accessibility::updates
