#pragma once

namespace app {

// Application-wide look and lifetime, set once before any window is made:
// the Fusion style (it honours per-control palettes on every platform), the
// program icon, no automatic quit when the last window closes, since the
// program ends only through EndApplication, and EndApplication handed to the
// windows that end the program.
void initialiseApplication();

} // namespace app
