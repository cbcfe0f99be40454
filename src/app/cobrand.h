#pragma once

#include <cstdint>

namespace app {

// The last pick of the offer rotation, 1 to 6; 0 before the first.
extern std::int16_t intCoBrandRandomNumber;

// Brings one of the main window's two offer labels to the front, each with
// even odds: odd picks show the co-branding offer, even ones the
// fully-branded offer. Called once per run, after the main window is shown.
void CoBrand_Randomize();

} // namespace app
