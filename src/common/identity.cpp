#include "common/identity.h"

#include <QPixmap>

// The icons live in the static library; a static library's resources are
// only registered when asked for by name.
static void registerResources()
{
    Q_INIT_RESOURCE(thymara);
}

namespace common {

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
        // Naming the format lets Qt decode the built-in PNG at once instead of
        // loading every image plugin to ask which one knows the file.
        QIcon i;
        i.addPixmap(QPixmap(QStringLiteral(":/icons/thymara-32.png"), "PNG"));
        i.addPixmap(QPixmap(QStringLiteral(":/icons/thymara-48.png"), "PNG"));
        return i;
    }();
    return icon;
}

} // namespace common
