#include "platform/standard_streams.h"

#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace platform {

void keepStandardStreamsOpen()
{
#ifdef Q_OS_UNIX
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        // The lowest free number is this one, as those below it are open by now.
        // Left open across exec, as a standard stream is.
        int null;
        do
            null = ::open("/dev/null", O_RDWR | O_NOCTTY);
        while (null < 0 && errno == EINTR);
        if (null >= 0 && null != fd) {
            ::dup2(null, fd);
            ::close(null);
        }
    }
#endif
}

} // namespace platform
