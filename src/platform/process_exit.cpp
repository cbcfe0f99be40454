#include "platform/process_exit.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace platform {
namespace {
ExitHandler &handlerSlot()
{
    static ExitHandler handler;
    return handler;
}
} // namespace

ExitHandler setExitHandler(ExitHandler handler)
{
    return std::exchange(handlerSlot(), std::move(handler));
}

void endProcess(int status)
{
    if (handlerSlot()) {
        handlerSlot()(status);
        return;
    }
    // _Exit rather than exit: the application object still lives on main's
    // stack, and running static destructors underneath it (possibly from a
    // nested event loop) is how shutdown crashes happen. Nothing is left to
    // save: settings are synced as they are written, and the instance lock has
    // been released by the caller.
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(status);
}

} // namespace platform
