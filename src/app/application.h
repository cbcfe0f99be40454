#pragma once

namespace app {

// Application-wide look and lifetime, set once before any window is made:
// the Fusion style (it honours per-control palettes on every platform), the
// program icon, no automatic quit when the last window closes, since the
// program ends only through EndApplication, EndApplication handed to the
// windows that end the program, and the accessibility support with the form
// engine's restackings told to it.
void initialiseApplication();

} // namespace app
