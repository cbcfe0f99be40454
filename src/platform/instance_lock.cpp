#include "platform/instance_lock.h"

#include "platform/instance_lock_system.h"
#include "platform/user_folders.h"

namespace platform {
using namespace instancelock;

namespace {
bool acquireFileLock(const QByteArray &lockFile)
{
    makeFolderFor(lockFile);
    for (const QByteArray &path : {lockFile, lockFile + THYMARA_FALLBACK_ENDING}) {
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
    return qtPath(defaultLockFile());
}

bool acquireInstanceLock()
{
    if (tryGuard() == Outcome::TakenByAnother)
        return false;
    // The file lock as well: where the guard proper cannot serve it is the
    // guard, and where it can, it still keeps to one copy the user's runs that
    // share a runtime folder but not a home.
    if (holdingFileLock() || acquireFileLock(defaultLockFile()))
        return true;
    releaseGuard();
    return false;
}

bool acquireInstanceLock(const QString &lockFile)
{
    return holdingFileLock() || acquireFileLock(nativePath(lockFile));
}

void releaseInstanceLock()
{
    releaseGuard();
    if (holdingFileLock())
        releaseFileLock();
}

} // namespace platform
