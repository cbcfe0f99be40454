#pragma once

#include <QSet>

class QWidget;

// Which controls of a form nobody can see because a sibling lies over them.
// Frames and opaque labels share places on some forms and are swapped by
// raising one; what lies behind is still there, only hidden.
namespace form {

// True when the control, or a frame it sits in, lies entirely behind a
// sibling that paints its whole box.
bool isCovered(const QWidget *control);

// The controls inside parent that lie covered now.
QSet<QWidget *> coveredControls(const QWidget *parent);

// Who keeps an account of what can be seen: told of each control that a
// restacking covered or uncovered. The application set-up names it once;
// the form engine itself knows nothing of assistive technology.
using CoverageListener = void (*)(QWidget *control);
void setCoverageListener(CoverageListener listener);

// Raises control above its siblings and tells the coverage listener of every
// control whose coverage that changed.
void raiseAndTell(QWidget *control);

} // namespace form
