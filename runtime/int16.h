#pragma once

#include "runtimeerror.h"

#include <cstdint>

// A 16-bit signed counter or flag. Arithmetic happens in int; storing a result outside
// -32768..32767 raises the overflow error instead of wrapping, so `L = L + 1` is checked.
class Int16
{
public:
    constexpr Int16() = default;
    constexpr Int16(int value) : m_value(checked(value)) {}

    constexpr operator int() const { return m_value; }

    static constexpr int min() { return INT16_MIN; }
    static constexpr int max() { return INT16_MAX; }

private:
    static constexpr std::int16_t checked(int value)
    {
        if (value < INT16_MIN || value > INT16_MAX)
            throw RuntimeError::overflow();
        return static_cast<std::int16_t>(value);
    }

    std::int16_t m_value = 0;
};
