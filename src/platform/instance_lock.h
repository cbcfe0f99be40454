#pragma once

#include <QString>

namespace platform {

// <per-user runtime directory>/<executable name>.lock; on Windows, which has
// no such directory, %LOCALAPPDATA%\<executable name>\<executable name>.lock
QString defaultInstanceLockPath();

// The lock that tells the first copy of the program from a second one, per
// user. True when this process now holds it, or when no lock can be made at
// all, which must not keep the program from starting.
//
// The lock is the operating system's own lock on an open file, not the file's
// existence: it ends with the process however the process ends, and a file
// left behind (even one this user can neither remove nor open) never refuses
// a start. When the file itself cannot be opened, "<lockFile>.fallback" is
// used instead; all copies try the two in the same order, so they still agree.
bool acquireInstanceLock(const QString &lockFile = defaultInstanceLockPath());
void releaseInstanceLock();

} // namespace platform
