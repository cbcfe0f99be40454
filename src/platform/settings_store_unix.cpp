// Not QSaveFile: it replaces a read-only file as root ("a file the user made read-only").

#include "platform/executable_name.h"
#include "platform/settings_files.h"
#include "platform/unix_files.h"
#include "platform/user_folders.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::settingsfiles {

// Opened without waiting, not through QFile, which waits in open() for a
// FIFO's writer.
Found inspect(const QByteArray &where, qint64 limit, QByteArray *bytes)
{
    const int fd = openFile(where, O_RDONLY | O_NONBLOCK);
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR ? Found::Nothing : Found::NotPlain;
    struct stat status;
    Found found = Found::File;
    if (::fstat(fd, &status) != 0)
        found = Found::NotPlain;
    else if (S_ISDIR(status.st_mode))
        found = Found::Directory;
    else if (!S_ISREG(status.st_mode) || status.st_size > limit)
        found = Found::NotPlain;
    // The size may change while it is read; the limit holds all the same.
    if (found == Found::File && bytes && (!readUpTo(fd, limit, *bytes) || bytes->size() > limit))
        found = Found::NotPlain;
    ::close(fd);
    return found;
}

QByteArray defaultIniFile()
{
    const QByteArray name = nativePath(executableName());
    return configFolder() + '/' + name + '/' + name + ".conf";
}

// A link is followed, so that a settings file kept elsewhere stays where it is.
bool replaceFile(const QByteArray &path, const QByteArray &bytes)
{
    QByteArray target = path;
    struct stat status;
    if (::lstat(path.constData(), &status) == 0 && S_ISLNK(status.st_mode)) {
        char resolved[PATH_MAX];
        if (!::realpath(path.constData(), resolved))
            return false;
        target = resolved;
    }
    const bool existed = ::stat(target.constData(), &status) == 0;
    // A file the user made read-only is theirs to keep as it is, as QSettings
    // keeps it; replacing it would only need the folder to be writable. The
    // mode counts even for an account that may write anything.
    if (existed && ((status.st_mode & 0222) == 0 || ::access(target.constData(), W_OK) != 0))
        return false;
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temporary = target + ".new" + QByteArray::number(qint64(::getpid())) + '-' +
                    QByteArray::number(attempt);
        fd = openFile(temporary, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0666);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;
    bool written = (!existed || ::fchmod(fd, status.st_mode & 07777) == 0) && writeAll(fd, bytes);
    written = written && ::fsync(fd) == 0;
    written = ::close(fd) == 0 && written;
    if (written && ::rename(temporary.constData(), target.constData()) == 0)
        return true;
    ::unlink(temporary.constData());
    return false;
}

} // namespace platform::settingsfiles
