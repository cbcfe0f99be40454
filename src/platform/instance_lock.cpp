#include "platform/instance_lock.h"

#include "platform/executable_name.h"
#include "platform/user_folders.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QSysInfo>
#include <QThread>

#ifdef Q_OS_WIN
#include <vector>
#include <windows.h>

// After windows.h, which they build on.
#include <lmcons.h>
#include <sddl.h>
#ifdef _MSC_VER
#pragma comment(lib, "advapi32") // MinGW links it by default
#endif
#else
#include "platform/unix_files.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include "platform/unix_sockets.h"
#endif

namespace platform {
namespace {
enum class Outcome { Held, TakenByAnother, Unavailable };

#ifdef Q_OS_WIN
HANDLE heldHandle = INVALID_HANDLE_VALUE;

Outcome tryLockAt(const QByteArray &name)
{
    const QString path = qtPath(name);
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

Outcome tryLockAt(const QByteArray &name)
{
    // Read access is all flock() needs, so a readable file of another user
    // serves as well. Close-on-exec keeps the lock from living on in the
    // browser this program starts. Opening without waiting keeps a FIFO in
    // the file's place from holding every start in open(); it, a device, or
    // a link to anything (never followed) is no lock file, and the fallback
    // serves instead.
    const int fd = openFile(name, O_RDONLY | O_CREAT | O_NONBLOCK | O_NOFOLLOW, 0600);
    if (fd < 0)
        return Outcome::Unavailable;
    struct stat status;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return Outcome::Unavailable;
    }
    if (tryFlock(fd, LOCK_EX) == 0) {
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

#ifdef Q_OS_LINUX
// The guard proper on Linux: a name in the abstract socket namespace, bound
// while the copy runs. It lies in no folder, so no environment variable moves
// it and no temp cleaner removes it, and the kernel frees it however the
// process ends. It is kept per user and per home: the home's bytes name it,
// as the settings that two copies would share live there.
int guardSocket = -1;
QSocketNotifier *guardCalls = nullptr;

QByteArray guardName()
{
    QByteArray home = homeFolder();
    char resolved[PATH_MAX];
    if (::realpath(home.constData(), resolved))
        home = resolved;
    const QByteArray key = QCryptographicHash::hash(home, QCryptographicHash::Sha256).toHex();
    const QByteArray name = QByteArray(1, '\0') + nativePath(executableName()) + "-copy/" +
                            QByteArray::number(qulonglong(::getuid())) + '/' + key.left(32);
    return name.left(sizeof(sockaddr_un::sun_path)); // a long program name is cut, not refused
}

// Whose the name is: the user of the process that holds it, or -1 when that
// cannot be learnt (it takes no calls).
qint64 holderOf(const QByteArray &name)
{
    sockaddr_un address;
    const socklen_t length = localAddress(name, address);
    // A copy answers once it has bound and listens; that takes it no time.
    const QDeadlineTimer deadline(500);
    for (;;) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0)
            return -1;
        const int result = connectTo(fd, reinterpret_cast<const sockaddr *>(&address), length);
        ucred credentials{};
        socklen_t size = sizeof credentials;
        const bool known =
            result == 0 && ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0;
        const int error = errno;
        ::close(fd);
        if (known)
            return qint64(credentials.uid);
        if ((result == 0 || error != ECONNREFUSED) || deadline.hasExpired())
            return -1;
        QThread::msleep(10);
    }
}

Outcome tryGuardSocket()
{
    const QByteArray name = guardName();
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return Outcome::Unavailable;
    sockaddr_un address;
    const socklen_t length = localAddress(name, address);
    if (::bind(fd, reinterpret_cast<const sockaddr *>(&address), length) == 0 &&
        ::listen(fd, 64) == 0) {
        guardSocket = fd;
        // A later copy calls to learn whose the name is; each call is taken
        // and dropped at once, so that the queue never fills.
        guardCalls = new QSocketNotifier(qintptr(fd), QSocketNotifier::Read);
        QObject::connect(guardCalls, &QSocketNotifier::activated, [] {
            int call;
            while ((call = ::accept4(guardSocket, nullptr, nullptr, SOCK_CLOEXEC)) >= 0)
                ::close(call);
        });
        return Outcome::Held;
    }
    const bool inUse = errno == EADDRINUSE;
    ::close(fd);
    if (!inUse)
        return Outcome::Unavailable;
    // Another user's program may hold the same name to keep this one out;
    // it is no copy of ours, and the file lock decides instead.
    return holderOf(name) == qint64(::getuid()) ? Outcome::TakenByAnother : Outcome::Unavailable;
}

void releaseGuardSocket()
{
    delete guardCalls;
    guardCalls = nullptr;
    if (guardSocket >= 0)
        ::close(guardSocket);
    guardSocket = -1;
}
#endif

#ifdef Q_OS_WIN
// The guard proper on Windows: a mutex named per user in the session's
// namespace. It needs no folder, so a %LOCALAPPDATA% that cannot hold the lock
// file (a file in its place, a drive that is gone) still lets one copy run
// alone. Windows removes the name with its last handle, however the process
// ends, and the handle is not inherited by the browser.
HANDLE guardMutex = nullptr;

// The user's security identifier names the user for good; the user name
// serves where it cannot be read.
QString userKey()
{
    QString key;
    HANDLE token = nullptr;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        DWORD size = 0;
        GetTokenInformation(token, TokenUser, nullptr, 0, &size);
        std::vector<BYTE> buffer(size);
        LPWSTR sid = nullptr;
        if (size > 0 && GetTokenInformation(token, TokenUser, buffer.data(), size, &size) &&
            ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER *>(buffer.data())->User.Sid, &sid)) {
            key = QString::fromWCharArray(sid);
            LocalFree(sid);
        }
        CloseHandle(token);
    }
    if (key.isEmpty()) {
        wchar_t name[UNLEN + 1];
        DWORD length = UNLEN + 1;
        if (GetUserNameW(name, &length) && length > 0)
            key = QString::fromWCharArray(name, int(length) - 1); // less the final NUL
    }
    return key;
}

Outcome tryGuardMutex()
{
    // Neither a security identifier nor a user name holds a backslash, which
    // a name may only have after the namespace.
    const QString name =
        QStringLiteral("Local\\") + executableName() + QStringLiteral("-copy-") + userKey();
    const HANDLE mutex =
        CreateMutexW(nullptr, FALSE, reinterpret_cast<const wchar_t *>(name.utf16()));
    if (!mutex)
        return Outcome::Unavailable; // the name is another kind of object, or not ours to open
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return Outcome::TakenByAnother;
    }
    guardMutex = mutex;
    return Outcome::Held;
}

void releaseGuardMutex()
{
    if (guardMutex)
        CloseHandle(guardMutex);
    guardMutex = nullptr;
}
#endif

// Where the file lock lies: the per-user runtime folder when the environment
// names a valid one; else a folder of the home's, with the machine's name in
// the file's, as a home may be shared between machines.
QByteArray instanceLockFile()
{
#ifndef Q_OS_WIN
    const QByteArray name = nativePath(executableName());
    const QByteArray runtime = runtimeFolder();
    if (!runtime.isEmpty())
        return runtime + '/' + name + ".lock";
    const QByteArray home = homeFolder();
    return (home == "/" ? QByteArray() : home) + "/.cache/" + name + '/' + name + '-' +
           QSysInfo::machineHostName().toUtf8() + ".lock";
#else
    // Windows has no per-user runtime folder: Qt's runtime location there is
    // the profile itself, where the file would sit forever. %LOCALAPPDATA% is
    // where per-user state of this machine belongs.
    const QString local = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (!local.isEmpty())
        return nativePath(QDir(local).filePath(executableName() + QLatin1Char('/') +
                                               executableName() + QStringLiteral(".lock")));
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    return nativePath(QDir(dir).filePath(executableName() + QStringLiteral(".lock")));
#endif
}

bool acquireFileLock(const QByteArray &lockFile)
{
    makeFolderFor(lockFile);
    for (const QByteArray &path : {lockFile, lockFile + ".fallback"}) {
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
} // namespace

QString defaultInstanceLockPath()
{
    return qtPath(instanceLockFile());
}

bool acquireInstanceLock()
{
#ifdef Q_OS_LINUX
    if (guardSocket < 0 && tryGuardSocket() == Outcome::TakenByAnother)
        return false;
#endif
#ifdef Q_OS_WIN
    if (!guardMutex && tryGuardMutex() == Outcome::TakenByAnother)
        return false;
#endif
    // The file lock as well: where the socket cannot serve it is the guard,
    // and where it can, it still keeps to one copy the user's runs that share
    // a runtime folder but not a home.
    if (holding() || acquireFileLock(instanceLockFile()))
        return true;
#ifdef Q_OS_LINUX
    releaseGuardSocket();
#endif
#ifdef Q_OS_WIN
    releaseGuardMutex();
#endif
    return false;
}

bool acquireInstanceLock(const QString &lockFile)
{
    if (holding())
        return true;
    return acquireFileLock(nativePath(lockFile));
}

void releaseInstanceLock()
{
#ifdef Q_OS_LINUX
    releaseGuardSocket();
#endif
#ifdef Q_OS_WIN
    releaseGuardMutex();
#endif
    if (holding())
        release();
}

} // namespace platform
