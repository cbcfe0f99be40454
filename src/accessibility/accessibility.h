#pragma once

class QWidget;

// What assistive technology (a screen reader, switch access) is told about
// the program, and when, beyond what Qt says by itself. Each file of this
// folder covers one thing Qt 6.4 tells too little or at the wrong moment and
// names the Orca step (scripts/orca_check.sh) that shows it:
//
//   application_accessible.h  only the windows that show are the program's
//   control_interfaces.h      links, frames, the push-button toggle; covered
//                             controls are not showing, and a restacking is
//                             told (coverageChanged)
//   list_accessible.h         a list named by its label, its entry as value
//                             and text
//   list_following.h          each new entry told; a letter typed on the
//                             closed list; the entry of the list as it opens
//   single_line_text.h        one line of text, its attributes as one run,
//                             for text boxes and the lists' shown entry
//   line_edit_accessible.h    text boxes as one line of text
//   reading_order.h           children in reading order; the result read
//                             out with Exit
//   update_filter.h           events held back or delayed, in order
//
// Nothing here watches the program's events: the code that builds a list
// (followList) or restacks a form (coverageChanged, the form engine's
// coverage listener) calls in.
namespace accessibility {

// Installs the program's accessible interfaces (one factory, matched by the
// controls' classes) and the update filter. The application set-up calls it
// once, before any window exists; later calls do nothing.
void install();

// Tells assistive technology that a restacking covered or uncovered the
// control; the application set-up names it the form engine's coverage
// listener (form::setCoverageListener).
void coverageChanged(QWidget *control);

} // namespace accessibility
