#pragma once

#include <QIcon>
#include <QString>

// Who the program is, as every window and message box shows it.
namespace common {

// The product's display name: the title of every message box.
QString displayName();
// The caption of every window.
QString windowTitle();
// The program icon: window icons and the icon pictures of the About and exit windows.
QIcon programIcon();

} // namespace common
