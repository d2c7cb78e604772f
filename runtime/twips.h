#pragma once

#include <QtGlobal>
#include <algorithm>

// Positions and sizes are kept in twips; widgets sit at the nearest logical pixel.
inline constexpr float kTwipsPerPixel = 15.0f;

inline int twipsToPixels(float twips)
{
    // Clamped so that a wild value from a layout formula cannot overflow the conversion.
    const float pixels = std::clamp(twips / kTwipsPerPixel, -1.0e6f, 1.0e6f);
    return qRound(pixels);
}

inline float pixelsToTwips(double pixels)
{
    return static_cast<float>(pixels * kTwipsPerPixel);
}
