#pragma once

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
// Tests point it at a file of their own.
//
// Reading never waits for anything. Writing takes <file>.lock, the lock other
// QSettings users of the file take, but gives up after about a second: a lock
// nobody will ever release (a directory in its place, a file of another user)
// then fails the write instead of hanging the program.
class NativeSettingsStore final : public SettingsStore
{
public:
    NativeSettingsStore();
    explicit NativeSettingsStore(const QString &iniFile);

    std::optional<QString> read(const QString &section, const QString &name) override;
    bool write(const QString &section, const QString &name, const QString &value) override;

    static constexpr int lockWaitMs = 1000;

private:
    QString m_iniFile; // empty: the registry
};

} // namespace platform
