#pragma once

#include <QString>

class QAbstractButton;
class QWidget;

// The result read out with the button that has the focus.
//
// Qt 6.4 cannot send the "flows to" relation, and Orca's say-all on a push
// button reads only that button: after Alt+N the say-all has to read "Exit
// push button. Ailment Name Toothache Herbs Clove Oil, ..." on through the
// remedy (scripts/orca_check.sh). So the button's description is the visible
// result in reading order.
namespace accessibility {

// The words shown in the frame, in reading order (top to bottom, then left to
// right).
QString readingOrderText(const QWidget *frame);

// Describes the button with what the frame shows.
void describeWithFrame(QAbstractButton *button, const QWidget *frame);

} // namespace accessibility
