#include "platform/user_folders.h"

#include <QDir>
#include <QFileInfo>

namespace platform {

QByteArray nativePath(const QString &path)
{
    return path.toUtf8();
}

QString qtPath(const QByteArray &path)
{
    return QString::fromUtf8(path);
}

void lendRuntimeFolderToQt() {}
void takeBackRuntimeFolder() {}

bool makeFolderFor(const QByteArray &file)
{
    return QDir().mkpath(QFileInfo(qtPath(file)).absolutePath());
}

} // namespace platform
