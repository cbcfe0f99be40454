#include "common/random.h"

#include <chrono>
#include <random>

namespace common {
namespace {
std::mt19937 &generator()
{
    static std::mt19937 engine(5489u);
    return engine;
}
} // namespace

void seedRandomFromClock()
{
    const auto now = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    generator().seed(static_cast<std::uint32_t>(now ^ (now >> 32)));
}

void seedRandom(std::uint32_t seed)
{
    generator().seed(seed);
}

float randomUnit()
{
    // 24 random bits fill a float's mantissa exactly, so 1.0 can never come out.
    return static_cast<float>(generator()() >> 8) * (1.0f / 16777216.0f);
}

int randomBetween(int low, int high)
{
    return std::uniform_int_distribution<int>(low, high)(generator());
}

} // namespace common
