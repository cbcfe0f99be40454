#include "platform/topmost.h"

#include <QWidget>

namespace platform {

void makeTopmost(QWidget *window)
{
    window->setWindowFlag(Qt::WindowStaysOnTopHint, true);
}

} // namespace platform
