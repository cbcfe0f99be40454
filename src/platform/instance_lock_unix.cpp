// Not QLockFile: it waits for ever on a FIFO in the lock's place (tst_startup "copy lock a FIFO").

#include "platform/executable_name.h"
#include "platform/instance_lock_system.h"
#include "platform/unix_files.h"
#include "platform/unix_sockets.h"
#include "platform/user_folders.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QSocketNotifier>
#include <QSysInfo>
#include <QThread>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::instancelock {
namespace {
int heldFd = -1;

// The guard proper: a name in Linux's abstract socket namespace, bound while
// the copy runs. It lies in no folder, so no environment variable moves it and
// no temp cleaner removes it, and the kernel frees it however the process
// ends. It is kept per user and per home: the home's bytes name it, as the
// settings that two copies would share live there.
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
} // namespace

Outcome tryGuard()
{
    if (guardSocket >= 0)
        return Outcome::Held;
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

void releaseGuard()
{
    delete guardCalls;
    guardCalls = nullptr;
    if (guardSocket >= 0)
        ::close(guardSocket);
    guardSocket = -1;
}

Outcome tryLockAt(const QByteArray &path)
{
    // Read access is all flock() needs, so a readable file of another user
    // serves as well. Close-on-exec keeps the lock from living on in the
    // browser this program starts. Opening without waiting keeps a FIFO in
    // the file's place from holding every start in open(); it, a device, or
    // a link to anything (never followed) is no lock file, and the fallback
    // serves instead.
    const int fd = openFile(path, O_RDONLY | O_CREAT | O_NONBLOCK | O_NOFOLLOW, 0600);
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

bool holdingFileLock()
{
    return heldFd >= 0;
}

void releaseFileLock()
{
    // The file stays: removing it would let a copy that has just opened it
    // lock a name that another copy then creates anew.
    ::close(heldFd);
    heldFd = -1;
}

// The per-user runtime folder when the environment names a valid one; else a
// folder of the home's, with the machine's name in the file's, as a home may
// be shared between machines.
QByteArray defaultLockFile()
{
    const QByteArray name = nativePath(executableName());
    const QByteArray runtime = runtimeFolder();
    if (!runtime.isEmpty())
        return runtime + '/' + name + THYMARA_LOCK_ENDING;
    const QByteArray home = homeFolder();
    return (home == "/" ? QByteArray() : home) + "/.cache/" + name + '/' + name + '-' +
           QSysInfo::machineHostName().toUtf8() + THYMARA_LOCK_ENDING;
}

} // namespace platform::instancelock
