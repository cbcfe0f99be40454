#pragma once

#include <QByteArray>
#include <QLockFile>
#include <memory>

namespace platform {

// The lock that QSettings takes on a settings file, <file>.lock, made the way
// QLockFile makes it: a file created anew, holding the process id, program,
// host, machine and boot, and held with flock() while it lives. A QSettings
// writer therefore waits while this lock is held, and this lock waits while
// theirs is held. A lock that no live process holds with flock() and whose
// process is gone (or whose id now belongs to another program, or which was
// made before the machine last started, or which is older than 30 s) is
// removed, under <file>.lock.rmlock as QLockFile does, so that two processes
// never both remove and retake it. On a file system without flock(), a lock
// is judged by its process and its age alone.
//
// Unlike QLockFile it never waits without a bound: it creates files only
// exclusively, opens the ones it finds without following a link and without
// waiting (a FIFO or a device never holds it), reads at most a few KiB of a
// regular file found through that same descriptor, and gives up after waitMs.
// Anything in the lock's place that no process made as a lock (a directory, a
// FIFO, a device, a link, a big file) fails it at once: nobody will release it.
class SettingsLock
{
public:
    explicit SettingsLock(const QByteArray &lockFile) : m_path(lockFile) {} // a native path
    ~SettingsLock() { unlock(); }
    SettingsLock(const SettingsLock &) = delete;
    SettingsLock &operator=(const SettingsLock &) = delete;

    bool lock(int waitMs);
    void unlock();

private:
    QByteArray m_path;
    std::unique_ptr<QLockFile> m_lock; // where QLockFile is the lock
    int m_fd = -1;                     // where the lock is made here
};

} // namespace platform
