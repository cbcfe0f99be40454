#pragma once

#include <QIcon>
#include <QString>

namespace app {

// The product's display name: the title of every message box.
QString displayName();
// The caption of every window.
QString windowTitle();
// The program icon: window icons and the icon pictures of the About and exit windows.
QIcon programIcon();

// Application-wide look and lifetime, set once before any window is made:
// the Fusion style (it honours per-control palettes on every platform), the
// program icon, and no automatic quit when the last window closes, since the
// program ends only through EndApplication.
void initialiseApplication();

} // namespace app
