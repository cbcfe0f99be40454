#pragma once

#include <QString>

namespace platform {

// The guard's file: <per-user runtime directory>/<executable name>.lock when
// XDG_RUNTIME_DIR names a valid one (runtimeFolder()), else
// <home>/.cache/<name>/<name>-<host>.lock; on
// Windows, which has no such directory,
// %LOCALAPPDATA%\<executable name>\<executable name>.lock
QString defaultInstanceLockPath();

// The guard that tells the first copy of the program from a second one, per
// user. True when this process now holds it, or when no guard can be made at
// all, which must not keep the program from starting.
//
// On Linux the guard is first a name in the abstract socket namespace, made
// from the user's id and home: no environment variable moves it and no file of
// it can be removed. The file lock below at defaultInstanceLockPath() is taken
// as well; it is the whole guard where the name cannot be had (another
// system, or a name another user holds). On Windows the guard is first a
// mutex named after the user in the session's namespace, which needs no
// folder; the file lock is taken beside it there too.
bool acquireInstanceLock();

// The file lock alone. It is the operating system's own lock on an open file,
// not the file's existence: it ends with the process however the process ends,
// and a file left behind (even one this user can neither remove nor open)
// never refuses a start. When the file itself cannot be opened,
// "<lockFile>.fallback" is used instead; all copies try the two in the same
// order, so they still agree.
bool acquireInstanceLock(const QString &lockFile);
void releaseInstanceLock();

} // namespace platform
