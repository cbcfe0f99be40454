#include "platform/user_folders.h"

#include <QFile>
#include <QtGlobal>
#include <optional>

#include <cerrno>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

QByteArray nativePath(const QString &path)
{
    return QFile::encodeName(path);
}

QString qtPath(const QByteArray &path)
{
    return QFile::decodeName(path);
}

namespace {
QByteArray absoluteVariable(const char *name)
{
    const QByteArray value = qgetenv(name);
    return value.startsWith('/') ? value : QByteArray();
}

// Makes the folder and those above it that are missing; true once it is there.
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

QByteArray runtimeFolder()
{
    const QByteArray runtime = absoluteVariable("XDG_RUNTIME_DIR");
    struct stat status;
    if (runtime.isEmpty() || ::stat(runtime.constData(), &status) != 0 ||
        !S_ISDIR(status.st_mode) || status.st_uid != ::geteuid() || (status.st_mode & 077) != 0)
        return {};
    return withoutTrailingSlashes(runtime);
}

namespace {
std::optional<QByteArray> lentRuntime; // the variable's own value while Qt is shown another
int lentFolder = -1;
} // namespace

void lendRuntimeFolderToQt()
{
    if (lentRuntime || !qEnvironmentVariableIsSet("XDG_RUNTIME_DIR"))
        return;
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (nativePath(qtPath(runtime)) == runtime)
        return;
    const QByteArray folder = runtimeFolder();
    if (!folder.isEmpty())
        lentFolder = ::open(folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    lentRuntime = runtime;
    // The final slash makes it the folder itself to Qt, not a link to one.
    if (lentFolder >= 0)
        qputenv("XDG_RUNTIME_DIR", "/proc/self/fd/" + QByteArray::number(lentFolder) + '/');
    else
        qunsetenv("XDG_RUNTIME_DIR");
}

void takeBackRuntimeFolder()
{
    if (!lentRuntime)
        return;
    qputenv("XDG_RUNTIME_DIR", *lentRuntime);
    lentRuntime.reset();
    if (lentFolder >= 0)
        ::close(lentFolder);
    lentFolder = -1;
}

bool makeFolderFor(const QByteArray &file)
{
    const qsizetype slash = file.lastIndexOf('/');
    return slash <= 0 || makeFolders(file.left(slash));
}

} // namespace platform
