// Not QLockFile: it waits for ever on a FIFO in its place ("settings lock a FIFO, first start").

#include "platform/settings_lock.h"

#include "platform/unix_files.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QSysInfo>
#include <QThread>
#include <algorithm>

#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {
// A lock holds five short lines; anything bigger was not made as a lock.
constexpr qint64 largestLockBytes = 4096;
// QLockFile's own default: a lock it cannot judge by its process is stale
// once it is this old.
constexpr qint64 staleAfterSeconds = 30;

int openWithoutWaiting(const QByteArray &path, int flags, mode_t mode = 0)
{
    return openFile(path, flags | O_NOFOLLOW | O_NONBLOCK, mode);
}

QByteArray programName()
{
    // The name QLockFile compares with the program its process id runs.
    const QByteArray running = programOfProcess("self");
    return running.isEmpty() ? QCoreApplication::applicationName().toUtf8() : running;
}

QByteArray lockContent()
{
    return QByteArray::number(qint64(::getpid())) + '\n' + programName() + '\n' +
           QSysInfo::machineHostName().toUtf8() + '\n' + QSysInfo::machineUniqueId() + '\n' +
           QSysInfo::bootUniqueId() + '\n';
}

enum class Verdict {
    Gone,   // nothing there any more: try again at once
    Held,   // a live process holds it, or it is too young to judge
    Stale,  // its process is gone: it may be removed
    NotLock // no process made this; nobody will release it
};

// A lock file found in the way, open for as long as it is judged and removed,
// so that what is removed is the very file that was judged.
class Found
{
public:
    explicit Found(const QByteArray &path)
        : m_fd(openWithoutWaiting(path, O_RDONLY)), m_openError(m_fd < 0 ? errno : 0)
    {
    }
    ~Found()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Found(const Found &) = delete;
    Found &operator=(const Found &) = delete;

    Verdict judge()
    {
        if (m_fd < 0)
            return m_openError == ENOENT ? Verdict::Gone : Verdict::NotLock;
        if (::fstat(m_fd, &m_status) != 0 || !S_ISREG(m_status.st_mode) ||
            m_status.st_size > largestLockBytes)
            return Verdict::NotLock;
        // Held while its maker lives, whatever the file says. Where the file
        // system keeps no such locks, nobody can be seen holding it: only its
        // process and its age tell.
        bool seenUnheld = true;
        if (tryFlock(m_fd, LOCK_SH) != 0) {
            if (errno == EWOULDBLOCK)
                return Verdict::Held;
            if (!lockingUnsupported(errno))
                return Verdict::NotLock;
            seenUnheld = false;
        } else {
            tryFlock(m_fd, LOCK_UN);
        }

        QByteArray content;
        if (!readUpTo(m_fd, largestLockBytes, content) || content.size() > largestLockBytes)
            return Verdict::NotLock;
        const QList<QByteArray> lines = content.split('\n');
        const bool old = std::time(nullptr) - m_status.st_mtime > staleAfterSeconds;
        // Nothing holds it, and whoever made it has had time enough.
        if (seenUnheld && old)
            return Verdict::Stale;
        // What a lock whose process cannot be judged comes to: it waits for its age.
        const Verdict byAge = old ? Verdict::Stale : Verdict::Held;

        bool isNumber = false;
        const qint64 pid = lines.value(0).toLongLong(&isNumber);
        if (!isNumber || pid <= 0 || lines.size() < 3)
            return byAge; // half-written, or not made by a lock
        const QByteArray machine = lines.value(3);
        const bool here = lines[2] == QSysInfo::machineHostName().toUtf8() &&
                          (machine.isEmpty() || machine == QSysInfo::machineUniqueId());
        if (!here)
            return byAge; // its process cannot be seen from here
        const QByteArray boot = lines.value(4);
        if (!boot.isEmpty() && boot != QSysInfo::bootUniqueId())
            return Verdict::Stale; // made before the machine last started
        if (::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
            return Verdict::Stale;
        // The id may have been given to another program since.
        const QByteArray running = programOfProcess(QByteArray::number(pid));
        if (!running.isEmpty() && !lines[1].isEmpty() && running != lines[1])
            return Verdict::Stale;
        // A live process of that program, as QLockFile judges it without
        // flock(): stale only once it is old, as no write takes that long.
        return byAge;
    }

    // Removes the judged file, if it is still the one at path and nobody has
    // taken it meanwhile.
    bool remove(const QByteArray &path)
    {
        // Without flock() the removal lock beside it is all that keeps two
        // removers apart, as it is for QLockFile.
        if (tryFlock(m_fd, LOCK_EX) != 0 && !lockingUnsupported(errno))
            return false;
        struct stat now;
        const bool same = ::lstat(path.constData(), &now) == 0 && now.st_dev == m_status.st_dev &&
                          now.st_ino == m_status.st_ino;
        const bool removed = same && ::unlink(path.constData()) == 0;
        tryFlock(m_fd, LOCK_UN);
        return removed;
    }

private:
    int m_fd;
    int m_openError;
    struct stat m_status = {};
};

// Makes path as a lock of this process: open, flock()ed and filled in.
int create(const QByteArray &path)
{
    const int fd = openWithoutWaiting(path, O_RDWR | O_CREAT | O_EXCL, 0666);
    if (fd < 0)
        return -1;
    tryFlock(fd, LOCK_EX);
    if (!writeAll(fd, lockContent())) {
        ::unlink(path.constData());
        ::close(fd);
        errno = EIO;
        return -1;
    }
    return fd;
}

void release(const QByteArray &path, int fd)
{
    struct stat mine, there;
    if (::fstat(fd, &mine) == 0 && ::lstat(path.constData(), &there) == 0 &&
        mine.st_dev == there.st_dev && mine.st_ino == there.st_ino)
        ::unlink(path.constData());
    ::close(fd);
}

// Removes a stale lock under the removal lock beside it, as QLockFile does:
// whoever holds that lock is the only one removing, so the lock judged stale
// is still the one removed. True when the way may be free now.
bool removeStale(const QByteArray &path)
{
    const QByteArray removal = path + ".rmlock";
    const int fd = create(removal);
    if (fd < 0) {
        if (errno == EEXIST) {
            Found other(removal);
            if (other.judge() == Verdict::Stale)
                other.remove(removal); // a remover that died half-way
        }
        return false; // a live remover, or something nobody removes: wait
    }
    Found lock(path);
    const Verdict verdict = lock.judge();
    const bool free = verdict == Verdict::Gone || (verdict == Verdict::Stale && lock.remove(path));
    release(removal, fd);
    return free;
}
} // namespace

bool SettingsLock::lock(int waitMs)
{
    if (m_fd >= 0)
        return true;
    const QDeadlineTimer deadline(waitMs);
    for (;;) {
        m_fd = create(m_path);
        if (m_fd >= 0)
            return true;
        if (errno != EEXIST)
            return false; // no folder, no right to write: waiting changes nothing
        bool again = false;
        {
            Found found(m_path);
            switch (found.judge()) {
            case Verdict::Gone:
                again = true;
                break;
            case Verdict::NotLock:
                return false;
            case Verdict::Stale:
                again = removeStale(m_path);
                break;
            case Verdict::Held:
                break;
            }
        }
        if (deadline.hasExpired())
            return false;
        if (!again)
            QThread::msleep(std::min<qint64>(20, deadline.remainingTime()));
    }
}

void SettingsLock::unlock()
{
    if (m_fd < 0)
        return;
    release(m_path, m_fd);
    m_fd = -1;
}
} // namespace platform
