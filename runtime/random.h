#pragma once

// The program's random numbers: uniform single-precision draws in [0, 1).
class Random
{
public:
    virtual ~Random() = default;

    virtual float next() = 0;
    // Mixes the seed into the current state.
    virtual void reseed(float seed) = 0;
};
