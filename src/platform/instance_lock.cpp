#include "platform/instance_lock.h"

#include "platform/executable_name.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>
#include <memory>

namespace platform {
namespace {
// How long a lock file that names no live process may keep a start waiting.
// A copy that holds the lock keeps an OS lock on the file as well, so a short
// time never lets a second copy take over from a running one.
constexpr int staleAfterMs = 2000;

std::unique_ptr<QLockFile> &heldLock()
{
    static std::unique_ptr<QLockFile> lock;
    return lock;
}
} // namespace

QString defaultInstanceLockPath()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    return QDir(dir).filePath(executableName() + QStringLiteral(".lock"));
}

bool acquireInstanceLock(const QString &lockFile)
{
    if (heldLock())
        return true;
    QDir().mkpath(QFileInfo(lockFile).absolutePath());
    auto lock = std::make_unique<QLockFile>(lockFile);
    lock->setStaleLockTime(staleAfterMs);
    if (!lock->tryLock(0)) {
        if (lock->error() != QLockFile::LockFailedError)
            return true; // no lock can be made here: run unguarded rather than not at all
        qint64 pid = 0;
        QString host, application;
        // A file that names no process is empty or half written: either a copy
        // is writing it this very moment, or one died doing so. Give it the
        // stale time to tell which.
        if (lock->getLockInfo(&pid, &host, &application) || !lock->tryLock(staleAfterMs + 500))
            return false;
    }
    heldLock() = std::move(lock);
    return true;
}

void releaseInstanceLock()
{
    heldLock().reset();
}

} // namespace platform
