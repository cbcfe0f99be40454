#include "platform/settings_lock.h"

#include "platform/user_folders.h"

#include <QFileInfo>

namespace platform {

bool SettingsLock::lock(int waitMs)
{
    const QString path = qtPath(m_path);
    if (QFileInfo(path).isDir())
        return false;
    m_lock = std::make_unique<QLockFile>(path);
    if (m_lock->tryLock(waitMs))
        return true;
    m_lock.reset();
    return false;
}

void SettingsLock::unlock()
{
    m_lock.reset();
}
} // namespace platform
