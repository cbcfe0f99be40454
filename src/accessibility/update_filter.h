#pragma once

class QAccessibleEvent;

// The one filter every accessibility event passes before it reaches assistive
// technology: a list of rules, each holding back or delaying the events of
// one fault, asked in order (update_filter.cpp). Everything else passes
// unchanged and at once; nothing passes while nobody listens.
namespace accessibility::updates {

// Installs the filter in front of whatever update handler is there (none in
// the program: Qt's own delivery to the desktop; a recorder in a test). Only
// the first call does anything.
void install();

// Whether anyone listens: events made up by the program are only made then.
bool listening();

// Tells an event the program makes up itself, through the filter like any.
void tell(QAccessibleEvent *event);

} // namespace accessibility::updates
