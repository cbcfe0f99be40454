#pragma once

#include <cstdint>

namespace common {

// The one random generator of the program, shared by the offer rotation and
// the exit window's choice of text.
void seedRandomFromClock();
void seedRandom(std::uint32_t seed);
// Uniform in [0, 1), single precision.
float randomUnit();
// Uniform whole number in [low, high].
int randomBetween(int low, int high);

} // namespace common
