#pragma once

// Small helpers for the Unix file calls the settings code and the copy guard
// make themselves, where Qt's file classes would decode a path that is not
// UTF-8 or wait on what they open. Unix only.

#include <QByteArray>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

// open(), again when a signal interrupts it. What it opens is never inherited
// by a program this one starts (the browser), and never becomes the
// controlling terminal.
inline int openFile(const QByteArray &path, int flags, mode_t mode = 0)
{
    int fd;
    do
        fd = ::open(path.constData(), flags | O_CLOEXEC | O_NOCTTY, mode);
    while (fd < 0 && errno == EINTR);
    return fd;
}

// The flock() that every lock of the program is taken with. A test puts one
// in its place that fails as on a file system without locks.
inline int (*flockCall)(int fd, int how) = ::flock;

// flock() without waiting, again when a signal interrupts it; fails with
// EWOULDBLOCK while another open file holds a lock that excludes this one,
// and with ENOLCK or EOPNOTSUPP where the file system keeps no such locks
// (lockingUnsupported()).
inline int tryFlock(int fd, int how)
{
    int result;
    do
        result = flockCall(fd, how | LOCK_NB);
    while (result != 0 && errno == EINTR);
    return result;
}

// Whether a failed flock() says that the file system has no such locks, as
// some network file systems do, rather than that somebody holds one.
inline bool lockingUnsupported(int error)
{
    return error == ENOLCK || error == EOPNOTSUPP || error == ENOTSUP;
}

// Reads fd to its end, but never more than limit + 1 bytes, so that a file
// that grows while it is read still shows as too big. False on a read error.
inline bool readUpTo(int fd, qint64 limit, QByteArray &bytes)
{
    bytes.resize(limit + 1);
    qint64 got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, size_t(bytes.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            bytes.truncate(got);
            return false;
        }
        if (n == 0)
            break;
        got += n;
    }
    bytes.truncate(got);
    return true;
}

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
