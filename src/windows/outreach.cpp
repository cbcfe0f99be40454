#include "windows/outreach.h"

#include "windows/about_window.h"
#include "windows/form_window.h"

#include <QAction>

namespace windows::outreach {

void connectAbout(FormWindow *window)
{
    QObject::connect(window->menuAction("mnuAbout"), &QAction::triggered, window,
                     [window] { AboutWindow::openSoon(window); });
}

} // namespace windows::outreach
