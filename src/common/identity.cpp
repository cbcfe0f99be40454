#include "common/identity.h"

#include "common/product.h"

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
    return QString::fromLatin1(product::displayName);
}

QString windowTitle()
{
    return QString::fromLatin1(product::windowTitle);
}

QIcon programIcon()
{
    static const QIcon icon = [] {
        registerResources();
        // Naming the format lets Qt decode the built-in PNG at once instead of
        // loading every image plugin to ask which one knows the file.
        // Every size the windows draw, from a title bar at 1x to the icon
        // pictures at 2x, each rendered from thymara.svg: the icon never scales
        // a small picture up. Larger sizes stay with the installed icon theme,
        // which desktops use for task switchers; on X11 every size given here
        // is converted for the window manager at start (128 px alone cost
        // 2.3 M instructions of every start).
        QIcon i;
        for (const int size : {16, 24, 32, 48, 64})
            i.addPixmap(QPixmap(QStringLiteral(":/icons/thymara-%1.png").arg(size), "PNG"));
        return i;
    }();
    return icon;
}

} // namespace common
