#pragma once

#include "random.h"

#include <cstdint>

// A small 64-bit generator. A re-seed mixes the seed into the current state rather than
// replacing it, so re-seeding twice with the same number still gives a fresh sequence.
class MixingRandom : public Random
{
public:
    float next() override;
    void reseed(float seed) override;

private:
    std::uint64_t m_state = 0x4d595df4d0f33173ULL;
};
