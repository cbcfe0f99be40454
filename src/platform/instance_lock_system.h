#pragma once

// What each system's copy guard gives the part all systems share
// (instance_lock.cpp): the guard proper, which needs no folder, and the file
// lock taken beside it.

#include <QByteArray>

namespace platform::instancelock {

enum class Outcome { Held, TakenByAnother, Unavailable };

// The guard proper, per user: Held again while this process holds it.
Outcome tryGuard();
void releaseGuard();

// The operating system's lock on the open file at path (a native path).
Outcome tryLockAt(const QByteArray &path);
bool holdingFileLock();
void releaseFileLock();

// Where the file lock lies by default.
QByteArray defaultLockFile();

} // namespace platform::instancelock
