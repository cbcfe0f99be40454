#pragma once

class QAccessibleEvent;

// The one filter every accessibility event passes before it reaches assistive
// technology. It holds back or delays, in this order:
//
//   1. text and caret changes of a text box taking its prompt away as it
//      gets the focus: held back (prompt_clearing below);
//   2. a control shown or hidden: delayed until the program waits for input
//      again, and dropped when it is back as it was by then (show_changes);
//   3. anything else about a control in a hidden window: held back
//      (hidden_windows).
//
// Everything else passes unchanged and at once.
namespace accessibility::updates {

// Installs the filter in front of whatever update handler is there (none in
// the program: Qt's own delivery to the desktop; a recorder in a test). Only
// the first call does anything.
void install();

// Hands an event to assistive technology past the filter: for events the
// program makes up itself once it has decided they are due.
void deliver(QAccessibleEvent *event);

} // namespace accessibility::updates
