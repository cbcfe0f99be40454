#pragma once

namespace app {

// Closes every window that exists, shown or hidden, each running its own close
// handling, then ends the process with status 0. Close handlers may call it
// again while it runs; those nested calls return to their handler at once and
// the outermost call ends the process, exactly once. In the program it never
// returns.
void EndApplication();

} // namespace app
