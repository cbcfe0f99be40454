#pragma once

// Small helpers for the Unix file calls the settings code makes itself, where
// Qt's file classes would decode a path that is not UTF-8 or wait on what they
// open. Unix only.

#include <QByteArray>

#include <cerrno>
#include <unistd.h>

namespace platform {

// Writes all of bytes to fd, going on after an interrupted or partial write;
// false on the first real failure.
inline bool writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

// The file name of the program a process runs ("self" for this one); empty
// when it cannot be seen.
inline QByteArray programOfProcess(const QByteArray &pid)
{
    char target[4096];
    const ssize_t n =
        ::readlink(QByteArray("/proc/" + pid + "/exe").constData(), target, sizeof target);
    if (n <= 0 || size_t(n) >= sizeof target)
        return {};
    const QByteArray path(target, n);
    return path.mid(path.lastIndexOf('/') + 1);
}

} // namespace platform
