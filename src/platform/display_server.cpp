#include "platform/display_server.h"

#include <QtGlobal>
#include <cstdio>
#include <cstring>

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

bool checkDisplay(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return true; // Qt's own option decides
    // A compositor handed over as an open socket needs no looking for.
    if (qEnvironmentVariableIsSet("WAYLAND_SOCKET"))
        return true;
    const DisplaySession session{qgetenv("QT_QPA_PLATFORM"), qgetenv("WAYLAND_DISPLAY"),
                                 qgetenv("XDG_SESSION_TYPE"), qgetenv("DISPLAY")};
    if (displayReachable(session.qpaPlatform, session, qgetenv("XDG_RUNTIME_DIR")))
        return true;
    const char *name = argc > 0 && argv[0] ? std::strrchr(argv[0], '/') : nullptr;
    name = name ? name + 1 : (argc > 0 && argv[0] && *argv[0] ? argv[0] : "thymara");
    std::fprintf(
        stderr, "%s: cannot open a display: no X11 or Wayland display server is reachable\n", name);
    return false;
}

void forgetPlatformChoice()
{
    if (chosenHere)
        qunsetenv("QT_QPA_PLATFORM");
    chosenHere = false;
}

} // namespace platform
