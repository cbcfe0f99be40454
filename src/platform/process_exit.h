#pragma once

#include <functional>

namespace platform {

// Ends the process at once with the given status: no event loop has to run,
// and it works the same from inside a modal loop. Only a handler installed by
// a test makes it return.
void endProcess(int status);

// Lets tests record the end instead; returns the handler it replaces, for the
// caller to put back when it is done.
using ExitHandler = std::function<void(int status)>;
ExitHandler setExitHandler(ExitHandler handler);

} // namespace platform
