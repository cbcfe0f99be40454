#include "platform/settings_store.h"

#include "platform/executable_name.h"

#include <QSettings>
#include <QStringList>
#include <memory>

namespace platform {
namespace {
std::unique_ptr<QSettings> open(const QString &iniFile)
{
    if (!iniFile.isEmpty())
        return std::make_unique<QSettings>(iniFile, QSettings::IniFormat);
    const QString key = executableName();
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, key, key);
}

QString entryKey(const QString &section, const QString &name)
{
    return section + QLatin1Char('/') + name;
}
} // namespace

NativeSettingsStore::NativeSettingsStore() = default;

NativeSettingsStore::NativeSettingsStore(const QString &iniFile) : m_iniFile(iniFile) {}

QString NativeSettingsStore::read(const QString &section, const QString &name)
{
    const auto settings = open(m_iniFile);
    const QVariant value = settings->value(entryKey(section, name));
    // An INI value with a comma in it comes back as a list; join it again so a
    // hand-edited entry is seen as the text it is, not as "absent".
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

bool NativeSettingsStore::write(const QString &section, const QString &name, const QString &value)
{
    const auto settings = open(m_iniFile);
    if (!settings->isWritable())
        return false;
    settings->setValue(entryKey(section, name), value);
    settings->sync();
    return settings->status() == QSettings::NoError;
}

} // namespace platform
