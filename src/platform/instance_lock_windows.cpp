// A named mutex and a file handle that shares nothing: both end with the process, however it ends.

#include "platform/executable_name.h"
#include "platform/instance_lock_system.h"
#include "platform/user_folders.h"

#include <QDir>
#include <QStandardPaths>
#include <vector>
#include <windows.h>

// After windows.h, which they build on.
#include <lmcons.h>
#include <sddl.h>

namespace platform::instancelock {
namespace {
HANDLE heldHandle = INVALID_HANDLE_VALUE;

// The guard proper: a mutex named per user in the session's namespace. It
// needs no folder, so a %LOCALAPPDATA% that cannot hold the lock file (a file
// in its place, a drive that is gone) still lets one copy run alone. Windows
// removes the name with its last handle, however the process ends, and the
// handle is not inherited by the browser.
HANDLE guardMutex = nullptr;

// The user's security identifier names the user for good; the user name
// serves where it cannot be read.
QString userKey()
{
    QString key;
    HANDLE token = nullptr;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        DWORD size = 0;
        GetTokenInformation(token, TokenUser, nullptr, 0, &size);
        std::vector<BYTE> buffer(size);
        LPWSTR sid = nullptr;
        if (size > 0 && GetTokenInformation(token, TokenUser, buffer.data(), size, &size) &&
            ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER *>(buffer.data())->User.Sid, &sid)) {
            key = QString::fromWCharArray(sid);
            LocalFree(sid);
        }
        CloseHandle(token);
    }
    if (key.isEmpty()) {
        wchar_t name[UNLEN + 1];
        DWORD length = UNLEN + 1;
        if (GetUserNameW(name, &length) && length > 0)
            key = QString::fromWCharArray(name, int(length) - 1); // less the final NUL
    }
    return key;
}
} // namespace

Outcome tryGuard()
{
    if (guardMutex)
        return Outcome::Held;
    // Neither a security identifier nor a user name holds a backslash, which
    // a name may only have after the namespace.
    const QString name =
        QStringLiteral("Local\\") + executableName() + QStringLiteral("-copy-") + userKey();
    const HANDLE mutex =
        CreateMutexW(nullptr, FALSE, reinterpret_cast<const wchar_t *>(name.utf16()));
    if (!mutex)
        return Outcome::Unavailable; // the name is another kind of object, or not ours to open
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return Outcome::TakenByAnother;
    }
    guardMutex = mutex;
    return Outcome::Held;
}

void releaseGuard()
{
    if (guardMutex)
        CloseHandle(guardMutex);
    guardMutex = nullptr;
}

Outcome tryLockAt(const QByteArray &path)
{
    // A handle that shares nothing is the lock: a second open fails with a
    // sharing violation until the holder's handle closes, as it does when the
    // process ends in any way. The handle is not inherited by the browser.
    const HANDLE handle = CreateFileW(
        reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(qtPath(path)).utf16()),
        GENERIC_READ, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        heldHandle = handle;
        return Outcome::Held;
    }
    return GetLastError() == ERROR_SHARING_VIOLATION ? Outcome::TakenByAnother
                                                     : Outcome::Unavailable;
}

bool holdingFileLock()
{
    return heldHandle != INVALID_HANDLE_VALUE;
}

void releaseFileLock()
{
    CloseHandle(heldHandle);
    heldHandle = INVALID_HANDLE_VALUE;
}

// Windows has no per-user runtime folder: Qt's runtime location there is the
// profile itself, where the file would sit forever. %LOCALAPPDATA% is where
// per-user state of this machine belongs.
QByteArray defaultLockFile()
{
    const QString file = executableName() + QStringLiteral(THYMARA_LOCK_ENDING);
    const QString local = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (!local.isEmpty())
        return nativePath(QDir(local).filePath(executableName() + QLatin1Char('/') + file));
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    return nativePath(QDir(dir).filePath(file));
}

} // namespace platform::instancelock
