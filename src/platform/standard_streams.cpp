#include "platform/standard_streams.h"

#include <QtGlobal>

#ifdef Q_OS_UNIX
#include "platform/unix_files.h"
#endif

namespace platform {

void keepStandardStreamsOpen()
{
#ifdef Q_OS_UNIX
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        // The lowest free number is this one, as those below it are open by now.
        const int null = openFile("/dev/null", O_RDWR);
        if (null < 0)
            continue;
        // Left open across exec, as a standard stream is.
        if (null == fd) {
            ::fcntl(fd, F_SETFD, 0);
        } else {
            ::dup2(null, fd);
            ::close(null);
        }
    }
#endif
}

} // namespace platform
