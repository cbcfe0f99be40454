#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace platform {

// The per-user settings store: one text entry by section and name.
class SettingsStore
{
public:
    virtual ~SettingsStore() = default;
    // The entry's text; empty when it or the whole store is absent. Nothing at
    // all when the store holds something that cannot be read as settings: such
    // a store must be left exactly as it is.
    virtual std::optional<QString> read(const QString &section, const QString &name) = 0;
    // True once the value is safely on disk.
    virtual bool write(const QString &section, const QString &name, const QString &value) = 0;
};

// The real store. On Windows it is the registry, under the executable's name;
// elsewhere an INI file, by default <config dir>/<name>/<name>.conf (on Linux
// ~/.config/thymara/thymara.conf), in the format QSettings reads and writes.
// Tests point it at a file of their own. The path is kept as the system's
// bytes: a home whose name is not UTF-8 still holds its settings.
//
// Reading never waits for anything: a settings file that is not a plain file
// (a FIFO, a device) is not settings and is neither read nor written. Writing
// takes <file>.lock, the lock other QSettings users of the file take (see
// SettingsLock), but gives up after lockWaitMs: a lock nobody will ever
// release (a directory or anything else but a small plain file in its place,
// a file of another user) then fails the write instead of hanging the program.
//
// The INI file is only read and written where QSettings reads the same: a
// file using its escapes, lists or typed values is left alone, and a write
// that would make the file unreadable to either fails.
class NativeSettingsStore final : public SettingsStore
{
public:
    static constexpr int defaultLockWaitMs = 1000;

    NativeSettingsStore();
    explicit NativeSettingsStore(const QString &iniFile, int lockWaitMs = defaultLockWaitMs);

    std::optional<QString> read(const QString &section, const QString &name) override;
    bool write(const QString &section, const QString &name, const QString &value) override;

private:
    QByteArray m_iniFile; // a native path, as the system names it; empty: the registry
    int m_lockWaitMs = defaultLockWaitMs;
};

} // namespace platform
