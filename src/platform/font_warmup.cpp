#include "platform/font_warmup.h"

#ifdef THYMARA_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>
#include <system_error>
#include <thread>
#endif

namespace platform {

#ifdef THYMARA_HAVE_FONTCONFIG
namespace {
std::thread &warmUp()
{
    static std::thread thread;
    return thread;
}
} // namespace

void startFontWarmUp()
{
    if (warmUp().joinable() || std::thread::hardware_concurrency() < 2)
        return;
    // Qt's own call later finds the configuration loaded and returns at once.
    // Without a thread to spare, Qt reads it there as it would anyway.
    try {
        warmUp() = std::thread([] { FcInit(); });
    } catch (const std::system_error &) {
    }
}

void finishFontWarmUp()
{
    if (warmUp().joinable())
        warmUp().join();
}
#else
void startFontWarmUp() {}
void finishFontWarmUp() {}
#endif

} // namespace platform
