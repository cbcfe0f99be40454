#pragma once

namespace platform {

// Reading the desktop's font configuration is the largest single cost of
// showing the first window. startFontWarmUp() begins it on another core as
// the process starts; finishFontWarmUp() waits for it and must run before
// anything measures text. Both do nothing where there is nothing to gain, or
// no thread to be had.
void startFontWarmUp();
void finishFontWarmUp();

} // namespace platform
