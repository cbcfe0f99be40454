#include "platform/user_folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtGlobal>

#ifndef Q_OS_WIN
#include <cerrno>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>
#endif

namespace platform {

QByteArray nativePath(const QString &path)
{
#ifdef Q_OS_WIN
    return path.toUtf8();
#else
    return QFile::encodeName(path);
#endif
}

QString qtPath(const QByteArray &path)
{
#ifdef Q_OS_WIN
    return QString::fromUtf8(path);
#else
    return QFile::decodeName(path);
#endif
}

#ifndef Q_OS_WIN
namespace {
QByteArray absoluteVariable(const char *name)
{
    const QByteArray value = qgetenv(name);
    return value.startsWith('/') ? value : QByteArray();
}

QByteArray withoutTrailingSlashes(QByteArray path)
{
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    return path;
}
} // namespace

QByteArray homeFolder()
{
    const QByteArray home = absoluteVariable("HOME");
    if (!home.isEmpty())
        return withoutTrailingSlashes(home);
    std::vector<char> buffer(16384);
    passwd entry;
    passwd *found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_dir && found->pw_dir[0] == '/')
        return withoutTrailingSlashes(QByteArray(found->pw_dir));
    return QByteArrayLiteral("/");
}

QByteArray configFolder()
{
    const QByteArray config = absoluteVariable("XDG_CONFIG_HOME");
    if (!config.isEmpty())
        return withoutTrailingSlashes(config);
    const QByteArray home = homeFolder();
    return (home == "/" ? QByteArray() : home) + "/.config";
}

bool makeFolders(const QByteArray &path)
{
    struct stat status;
    if (::stat(path.constData(), &status) == 0)
        return S_ISDIR(status.st_mode);
    for (qsizetype slash = path.indexOf('/', 1);; slash = path.indexOf('/', slash + 1)) {
        const QByteArray part = slash < 0 ? path : path.left(slash);
        if (::mkdir(part.constData(), 0777) != 0 && errno != EEXIST)
            return false;
        if (slash < 0)
            break;
    }
    return ::stat(path.constData(), &status) == 0 && S_ISDIR(status.st_mode);
}
#endif

bool makeFolderFor(const QByteArray &file)
{
#ifdef Q_OS_WIN
    return QDir().mkpath(QFileInfo(qtPath(file)).absolutePath());
#else
    const qsizetype slash = file.lastIndexOf('/');
    return slash <= 0 || makeFolders(file.left(slash));
#endif
}

} // namespace platform
