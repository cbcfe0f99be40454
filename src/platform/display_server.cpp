#include "platform/display_server.h"

#include <QList>
#include <QtGlobal>
#include <cstdio>
#include <cstring>

#ifdef Q_OS_UNIX
#include "platform/unix_sockets.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <unistd.h>
#endif

namespace platform {

namespace {
bool chosenHere = false;

#ifdef Q_OS_UNIX
// Whether a server accepts a connection at the address; a connection that
// takes long (a loaded machine) is given a second, never more.
bool answers(int family, const sockaddr *address, socklen_t length)
{
    const int fd = ::socket(family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return true; // nothing learnt: leave the judgement to Qt
    const int result = connectTo(fd, address, length);
    bool reached = result == 0 || errno == EAGAIN; // a full queue: it is there, and busy
    if (result != 0 && errno == EINPROGRESS) {
        pollfd waiting{fd, POLLOUT, 0};
        int error = 0;
        socklen_t size = sizeof error;
        reached = ::poll(&waiting, 1, 1000) == 1 &&
                  ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
    }
    ::close(fd);
    return reached;
}

bool localSocketAnswers(const QByteArray &name) // a leading NUL: the abstract namespace
{
    sockaddr_un address;
    const socklen_t length = localAddress(name, address);
    if (length == 0)
        return false;
    return answers(AF_UNIX, reinterpret_cast<const sockaddr *>(&address), length);
}

bool x11Reachable(const QByteArray &display)
{
    const qsizetype colon = display.lastIndexOf(':');
    if (display.isEmpty() || colon < 0)
        return false;
    const QByteArray host = display.left(colon);
    const QByteArray number = display.mid(colon + 1).split('.').value(0);
    bool isNumber = false;
    const int n = number.toInt(&isNumber);
    if (!isNumber || n < 0 || n > 65535 - 6000)
        return false; // no display Qt could open either
    if (host.isEmpty() || host == "unix") {
        const QByteArray socket = "/tmp/.X11-unix/X" + number;
        return localSocketAnswers('\0' + socket) || localSocketAnswers(socket);
    }
    // Forwarded displays (ssh) are on this machine's loopback; any other host
    // would have to be looked up, which may wait on the network.
    if (host == "localhost" || host == "127.0.0.1" || host == "::1") {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(quint16(6000 + n));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        sockaddr_in6 address6{};
        address6.sin6_family = AF_INET6;
        address6.sin6_port = htons(quint16(6000 + n));
        address6.sin6_addr = in6addr_loopback;
        return answers(AF_INET, reinterpret_cast<const sockaddr *>(&address), sizeof address) ||
               answers(AF_INET6, reinterpret_cast<const sockaddr *>(&address6), sizeof address6);
    }
    return true;
}

bool waylandReachable(const QByteArray &display, const QByteArray &runtimeDir)
{
    const QByteArray name = display.isEmpty() ? QByteArrayLiteral("wayland-0") : display;
    if (name.startsWith('/'))
        return localSocketAnswers(name);
    if (!runtimeDir.startsWith('/'))
        return false; // where the compositor's socket lies is unknown
    return localSocketAnswers(runtimeDir + '/' + name);
}
#endif
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

bool displayReachable(const QByteArray &plugins, const DisplaySession &session,
                      const QByteArray &runtimeDir)
{
#ifdef Q_OS_UNIX
    const QList<QByteArray> tried =
        plugins.isEmpty() ? QList<QByteArray>{"xcb"} : plugins.split(';');
    for (const QByteArray &entry : tried) {
        const QByteArray plugin = entry.split(':').value(0).trimmed();
        if (plugin == "xcb") {
            if (x11Reachable(session.x11Display))
                return true;
        } else if (plugin.startsWith("wayland")) {
            if (waylandReachable(session.waylandDisplay, runtimeDir))
                return true;
        } else if (!plugin.isEmpty()) {
            return true;
        }
    }
    return false;
#else
    Q_UNUSED(plugins);
    Q_UNUSED(session);
    Q_UNUSED(runtimeDir);
    return true; // Windows always has its desktop
#endif
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
