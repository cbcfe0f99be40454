#include "platform/display_server.h"

#include "platform/unix_sockets.h"

#include <QList>

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <unistd.h>

namespace platform {
namespace {
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
} // namespace

bool displayReachable(const QByteArray &plugins, const DisplaySession &session,
                      const QByteArray &runtimeDir)
{
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
}

} // namespace platform
