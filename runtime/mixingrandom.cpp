#include "mixingrandom.h"

#include <bit>

namespace {
// splitmix64's output function: a bijective mix of all 64 bits.
std::uint64_t mix(std::uint64_t z)
{
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}
constexpr std::uint64_t kGolden = 0x9e3779b97f4a7c15ULL;
} // namespace

float MixingRandom::next()
{
    m_state += kGolden;
    // The top 24 bits fill a float's mantissa exactly, so the draw is uniform and below 1.
    return static_cast<float>(mix(m_state) >> 40) * (1.0f / 16777216.0f);
}

void MixingRandom::reseed(float seed)
{
    const auto bits = static_cast<std::uint64_t>(std::bit_cast<std::uint32_t>(seed));
    m_state = mix(m_state ^ (bits * kGolden + 1));
}
