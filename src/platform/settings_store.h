#pragma once

#include <QString>

namespace platform {

// The per-user settings store: one text entry by section and name.
class SettingsStore
{
public:
    virtual ~SettingsStore() = default;
    // The entry's text; empty when it is absent or the store cannot be read.
    virtual QString read(const QString &section, const QString &name) = 0;
    // True once the value is safely on disk.
    virtual bool write(const QString &section, const QString &name, const QString &value) = 0;
};

// The real store, backed by QSettings. The default one is per user and keyed
// by the executable's name (on Linux ~/.config/<name>/<name>.conf); tests
// point it at a file of their own.
class NativeSettingsStore final : public SettingsStore
{
public:
    NativeSettingsStore();
    explicit NativeSettingsStore(const QString &iniFile);

    QString read(const QString &section, const QString &name) override;
    bool write(const QString &section, const QString &name, const QString &value) override;

private:
    QString m_iniFile;
};

} // namespace platform
