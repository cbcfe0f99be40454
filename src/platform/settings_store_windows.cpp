#include "platform/settings_files.h"
#include "platform/user_folders.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace platform::settingsfiles {

Found inspect(const QByteArray &where, qint64 limit, QByteArray *bytes)
{
    const QString path = qtPath(where);
    const QFileInfo info(path);
    if (!info.exists())
        return Found::Nothing;
    if (info.isDir())
        return Found::Directory;
    if (!info.isFile() || info.size() > limit)
        return Found::NotPlain;
    if (!bytes)
        return Found::File;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Found::NotPlain;
    *bytes = file.read(limit + 1);
    if (bytes->size() > limit || file.error() != QFileDevice::NoError)
        return Found::NotPlain;
    return Found::File;
}

QByteArray defaultIniFile()
{
    return {}; // the registry, where QSettings has always kept it on Windows
}

bool replaceFile(const QByteArray &path, const QByteArray &bytes)
{
    QSaveFile file(qtPath(path));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    return file.write(bytes) == bytes.size() && file.commit();
}

} // namespace platform::settingsfiles
