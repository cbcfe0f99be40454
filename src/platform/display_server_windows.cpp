#include "platform/display_server.h"

namespace platform {

bool displayReachable(const QByteArray &, const DisplaySession &, const QByteArray &)
{
    return true; // Windows always has its desktop
}

} // namespace platform
