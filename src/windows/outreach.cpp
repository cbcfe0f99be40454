#include "windows/outreach.h"

#include "forms/form_window.h"
#include "windows/about_window.h"

#include <QAction>

namespace windows::outreach {

void connectAbout(form::FormWindow *window)
{
    QObject::connect(window->menuAction("mnuAbout"), &QAction::triggered, window,
                     [window] { AboutWindow::openSoon(window); });
}

} // namespace windows::outreach
