#pragma once

#include <QString>

namespace platform {

// <per-user runtime directory>/<executable name>.lock
QString defaultInstanceLockPath();

// The lock that tells the first copy of the program from a second one, per
// user. True when this process now holds it (or when no lock can be made at
// all, which must not keep the program from starting). The first copy holds it
// until the process ends; a copy that was killed or crashed leaves nothing
// that blocks the next start.
bool acquireInstanceLock(const QString &lockFile = defaultInstanceLockPath());
void releaseInstanceLock();

} // namespace platform
