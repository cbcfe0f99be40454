#pragma once

// Local sockets as the copy guard and the display check reach them. Unix only.

#include <QByteArray>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>

namespace platform {

// Fills address with a local socket's name: a path, or, with a leading NUL, a
// name in Linux's abstract namespace, which is all of its bytes and ends with
// no NUL of its own. Returns the address's length, or 0 when the name does
// not fit.
inline socklen_t localAddress(const QByteArray &name, sockaddr_un &address)
{
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (name.isEmpty() || size_t(name.size()) > sizeof address.sun_path)
        return 0;
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    return socklen_t(offsetof(sockaddr_un, sun_path) + size_t(name.size()) +
                     (name.startsWith('\0') ? 0 : 1));
}

// connect(), again when a signal interrupts it.
inline int connectTo(int fd, const sockaddr *address, socklen_t length)
{
    int result;
    do
        result = ::connect(fd, address, length);
    while (result != 0 && errno == EINTR);
    return result;
}

} // namespace platform
