#include "platform/topmost.h"

#include <QWidget>

namespace platform {

void makeTopmost(QWidget *window)
{
    if (window->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
        return;
    const bool wasVisible = window->isVisible();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    if (wasVisible) {
        // setWindowFlag hid it; show it again without taking the focus.
        const bool noActivate = window->testAttribute(Qt::WA_ShowWithoutActivating);
        window->setAttribute(Qt::WA_ShowWithoutActivating, true);
        window->show();
        window->setAttribute(Qt::WA_ShowWithoutActivating, noActivate);
    }
}

} // namespace platform
