#include "platform/standard_streams.h"

#include "platform/unix_files.h"

#include <cstdio>

namespace platform {

void keepStandardStreamsOpen()
{
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
}

QuietStandardStreams::QuietStandardStreams()
{
    std::fflush(stdout);
    std::fflush(stderr);
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null < 0)
        return;
    for (int fd : {1, 2}) {
        m_saved[fd - 1] = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
        if (m_saved[fd - 1] >= 0)
            ::dup2(null, fd);
    }
    ::close(null);
}

QuietStandardStreams::~QuietStandardStreams()
{
    std::fflush(stdout);
    std::fflush(stderr);
    for (int fd : {1, 2}) {
        if (m_saved[fd - 1] < 0)
            continue;
        ::dup2(m_saved[fd - 1], fd);
        ::close(m_saved[fd - 1]);
    }
}

} // namespace platform
