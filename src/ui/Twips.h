#pragma once

#include <QtGlobal>

#include <algorithm>
#include <cmath>

namespace stanzary {

// Stored window positions and sizes are in twips: 15 to a pixel at the
// standard screen density.
inline constexpr double kTwipsPerPixel = 15.0;

// Stored values come from a settings file: anything not finite or far beyond
// any screen is held to a range that converts safely.
inline int twipsToPixels(double twips)
{
    if (!std::isfinite(twips))
        return 0;
    return qRound(std::clamp(twips / kTwipsPerPixel, -100000.0, 100000.0));
}

inline double pixelsToTwips(int pixels)
{
    return pixels * kTwipsPerPixel;
}

} // namespace stanzary
