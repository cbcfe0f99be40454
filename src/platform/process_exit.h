#pragma once

#include <functional>

namespace platform {

// Ends the process at once with the given status: no event loop has to run,
// and it works the same from inside a modal loop. Only a handler installed by
// a test makes it return.
void endProcess(int status);

using ExitHandler = std::function<void(int status)>;
void setExitHandler(ExitHandler handler);

} // namespace platform
