#include "platform/display_server.h"

#include <QtGlobal>

namespace platform {

namespace {
bool chosenHere = false;
} // namespace

QByteArray platformPluginsFor(const DisplaySession &session)
{
    if (!session.qpaPlatform.isEmpty())
        return {};
    const bool wayland = !session.waylandDisplay.isEmpty() || session.sessionType == "wayland";
    if (!wayland)
        return {};
    // Qt tries the entries in order; "wayland" stays as the fallback for a
    // DISPLAY left over from an XWayland that is gone.
    if (!session.x11Display.isEmpty())
        return QByteArrayLiteral("xcb;wayland");
    return QByteArrayLiteral("wayland");
}

void choosePlatformPlugin()
{
    const DisplaySession session{qgetenv("QT_QPA_PLATFORM"), qgetenv("WAYLAND_DISPLAY"),
                                 qgetenv("XDG_SESSION_TYPE"), qgetenv("DISPLAY")};
    const QByteArray plugins = platformPluginsFor(session);
    if (plugins.isEmpty())
        return;
    qputenv("QT_QPA_PLATFORM", plugins);
    chosenHere = true;
}

void forgetPlatformChoice()
{
    if (chosenHere)
        qunsetenv("QT_QPA_PLATFORM");
    chosenHere = false;
}

} // namespace platform
