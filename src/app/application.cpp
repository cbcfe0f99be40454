#include "app/application.h"

#include <QApplication>
#include <QStyleFactory>

// The icons live in the static library; a static library's resources are
// only registered when asked for by name.
static void registerResources()
{
    Q_INIT_RESOURCE(thymara);
}

namespace app {

QString displayName()
{
    return QStringLiteral("Thymara");
}

QString windowTitle()
{
    return QStringLiteral("Thymara v1.0");
}

QIcon programIcon()
{
    static const QIcon icon = [] {
        registerResources();
        QIcon i;
        i.addFile(QStringLiteral(":/icons/thymara-32.png"), QSize(32, 32));
        i.addFile(QStringLiteral(":/icons/thymara-48.png"), QSize(48, 48));
        return i;
    }();
    return icon;
}

void initialiseApplication()
{
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setWindowIcon(programIcon());
    QApplication::setQuitOnLastWindowClosed(false);
    // Lets the desktop match windows to the installed entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("example.ondrel.Thymara"));
}

} // namespace app
