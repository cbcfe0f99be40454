#include "platform/instance_lock.h"

#include "platform/executable_name.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace platform {
namespace {
enum class Outcome { Held, TakenByAnother, Unavailable };

#ifdef Q_OS_WIN
HANDLE heldHandle = INVALID_HANDLE_VALUE;

Outcome tryLockAt(const QString &path)
{
    // A handle that shares nothing is the lock: a second open fails with a
    // sharing violation until the holder's handle closes, as it does when the
    // process ends in any way. The handle is not inherited by the browser.
    const HANDLE handle =
        CreateFileW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(path).utf16()),
                    GENERIC_READ, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        heldHandle = handle;
        return Outcome::Held;
    }
    return GetLastError() == ERROR_SHARING_VIOLATION ? Outcome::TakenByAnother
                                                     : Outcome::Unavailable;
}

bool holding()
{
    return heldHandle != INVALID_HANDLE_VALUE;
}

void release()
{
    CloseHandle(heldHandle);
    heldHandle = INVALID_HANDLE_VALUE;
}
#else
int heldFd = -1;

Outcome tryLockAt(const QString &path)
{
    // Read access is all flock() needs, so a readable file of another user
    // serves as well. Close-on-exec keeps the lock from living on in the
    // browser this program starts. Opening without waiting keeps a FIFO in
    // the file's place from holding every start in open(); it, or a device,
    // is no lock file, and the fallback serves instead.
    const QByteArray name = QFile::encodeName(path);
    int fd;
    do
        fd = ::open(name.constData(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0600);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return Outcome::Unavailable;
    struct stat status;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return Outcome::Unavailable;
    }
    int result;
    do
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    while (result != 0 && errno == EINTR);
    if (result == 0) {
        heldFd = fd;
        return Outcome::Held;
    }
    const bool taken = errno == EWOULDBLOCK;
    ::close(fd);
    return taken ? Outcome::TakenByAnother : Outcome::Unavailable;
}

bool holding()
{
    return heldFd >= 0;
}

void release()
{
    // The file stays: removing it would let a copy that has just opened it
    // lock a name that another copy then creates anew.
    ::close(heldFd);
    heldFd = -1;
}
#endif
} // namespace

QString defaultInstanceLockPath()
{
#ifdef Q_OS_WIN
    // Windows has no per-user runtime folder: Qt's runtime location there is
    // the profile itself, where the file would sit forever. %LOCALAPPDATA% is
    // where per-user state of this machine belongs.
    const QString local = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (!local.isEmpty())
        return QDir(local).filePath(executableName() + QLatin1Char('/') + executableName() +
                                    QStringLiteral(".lock"));
#endif
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    return QDir(dir).filePath(executableName() + QStringLiteral(".lock"));
}

bool acquireInstanceLock(const QString &lockFile)
{
    if (holding())
        return true;
    QDir().mkpath(QFileInfo(lockFile).absolutePath());
    for (const QString &path : {lockFile, lockFile + QStringLiteral(".fallback")}) {
        switch (tryLockAt(path)) {
        case Outcome::Held:
            return true;
        case Outcome::TakenByAnother:
            return false;
        case Outcome::Unavailable:
            break;
        }
    }
    return true; // no lock can be made here: run unguarded rather than not at all
}

void releaseInstanceLock()
{
    if (holding())
        release();
}

} // namespace platform
