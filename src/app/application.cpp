#include "app/application.h"

#include "accessibility/accessibility.h"
#include "app/shutdown.h"
#include "common/identity.h"
#include "common/product.h"
#include "forms/form_covering.h"
#include "windows/window_registry.h"

#include <QApplication>
#include <QStyleFactory>

namespace app {

void initialiseApplication()
{
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setWindowIcon(common::programIcon());
    QApplication::setQuitOnLastWindowClosed(false);
    // Lets the desktop match windows to the installed entry and its icon.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(common::product::applicationId));
    windows::setEndApplication(&EndApplication);
    accessibility::install();
    // Whatever a restacking hides or uncovers is told to assistive technology.
    form::setCoverageListener(&accessibility::coverageChanged);
}

} // namespace app
