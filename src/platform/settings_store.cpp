#include "platform/settings_store.h"

#include "platform/executable_name.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QStringList>
#include <memory>

namespace platform {
namespace {
// Far more than one date ever needs; a bigger file is not ours to interpret.
constexpr qint64 largestFileBytes = 1 << 20;

// The file's lines; none at all when there is no file yet, nothing when the
// file is there but is not settings text this code understands.
std::optional<QStringList> loadLines(const QString &iniFile)
{
    const QFileInfo info(iniFile);
    if (!info.exists() || info.isDir())
        return QStringList(); // a directory in the way: any write fails on its own
    QFile file(iniFile);
    if (info.size() > largestFileBytes || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.read(largestFileBytes + 1);
    if (bytes.size() > largestFileBytes || file.error() != QFileDevice::NoError)
        return std::nullopt;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return std::nullopt;
    QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.last().isEmpty())
        lines.removeLast();
    for (QString &line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        for (const QChar c : line)
            if (c.unicode() < 0x20 && c != QLatin1Char('\t'))
                return std::nullopt; // a NUL or another control byte: not text
        const QString bare = line.trimmed();
        const bool understood =
            bare.isEmpty() || bare.startsWith(QLatin1Char(';')) ||
            bare.startsWith(QLatin1Char('#')) ||
            (bare.startsWith(QLatin1Char('[')) && bare.endsWith(QLatin1Char(']'))) ||
            bare.indexOf(QLatin1Char('=')) > 0;
        if (!understood)
            return std::nullopt;
    }
    return lines;
}

bool isSectionHeader(const QString &bare)
{
    return bare.startsWith(QLatin1Char('[')) && bare.endsWith(QLatin1Char(']'));
}

// Entries ahead of any section header belong to QSettings' "General" section.
const QString generalSection = QStringLiteral("General");

// Where the entry's line is, its section header's line (-1 when neither
// exists) and, for a section, the line after its last entry.
struct Position
{
    qsizetype entry = -1;
    qsizetype header = -1;
    qsizetype sectionEnd = -1;
};

Position find(const QStringList &lines, const QString &section, const QString &name)
{
    Position at;
    QString current = generalSection;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString bare = lines[i].trimmed();
        if (isSectionHeader(bare)) {
            current = bare.mid(1, bare.size() - 2).trimmed();
            if (current == section) {
                at.header = i;
                at.sectionEnd = i + 1;
            }
            continue;
        }
        if (current != section || bare.isEmpty() || bare.startsWith(QLatin1Char(';')) ||
            bare.startsWith(QLatin1Char('#')))
            continue;
        at.sectionEnd = i + 1;
        const qsizetype equals = bare.indexOf(QLatin1Char('='));
        if (bare.left(equals).trimmed() == name)
            at.entry = i; // the last one wins, as in QSettings
    }
    return at;
}

QString valueOf(const QString &line)
{
    QString value = line.mid(line.indexOf(QLatin1Char('=')) + 1).trimmed();
    if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
        value = value.mid(1, value.size() - 2);
    return value;
}

QString defaultIniFile()
{
#ifdef Q_OS_WIN
    return {}; // the registry, where QSettings has always kept it on Windows
#else
    const QString name = executableName();
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QDir(base).filePath(name + QLatin1Char('/') + name + QStringLiteral(".conf"));
#endif
}

QString registryKey(const QString &section, const QString &name)
{
    return section + QLatin1Char('/') + name;
}

std::unique_ptr<QSettings> registry()
{
    const QString key = executableName();
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, key, key);
}
} // namespace

NativeSettingsStore::NativeSettingsStore() : m_iniFile(defaultIniFile()) {}

NativeSettingsStore::NativeSettingsStore(const QString &iniFile) : m_iniFile(iniFile) {}

std::optional<QString> NativeSettingsStore::read(const QString &section, const QString &name)
{
    if (m_iniFile.isEmpty()) {
        const QVariant value = registry()->value(registryKey(section, name));
        if (value.typeId() == QMetaType::QStringList)
            return value.toStringList().join(QLatin1Char(','));
        return value.toString();
    }
    const std::optional<QStringList> lines = loadLines(m_iniFile);
    if (!lines)
        return std::nullopt;
    const Position at = find(*lines, section, name);
    return at.entry < 0 ? QString() : valueOf(lines->at(at.entry));
}

bool NativeSettingsStore::write(const QString &section, const QString &name, const QString &value)
{
    if (m_iniFile.isEmpty()) {
        const auto settings = registry();
        settings->setValue(registryKey(section, name), value);
        settings->sync();
        return settings->status() == QSettings::NoError;
    }
    if (value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r')))
        return false;
    if (!QDir().mkpath(QFileInfo(m_iniFile).absolutePath()))
        return false;

    QLockFile lock(m_iniFile + QStringLiteral(".lock"));
    if (!lock.tryLock(lockWaitMs))
        return false;
    // Read again under the lock: another writer may have changed the file.
    std::optional<QStringList> lines = loadLines(m_iniFile);
    if (!lines)
        return false;
    const Position at = find(*lines, section, name);
    const QString entry = name + QLatin1Char('=') + value;
    if (at.entry >= 0) {
        (*lines)[at.entry] = entry;
    } else if (at.header >= 0) {
        lines->insert(at.sectionEnd, entry);
    } else {
        if (!lines->isEmpty() && !lines->last().trimmed().isEmpty())
            lines->append(QString());
        lines->append(QLatin1Char('[') + section + QLatin1Char(']'));
        lines->append(entry);
    }

    QSaveFile file(m_iniFile);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = (lines->join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
    return file.write(bytes) == bytes.size() && file.commit();
}

} // namespace platform
