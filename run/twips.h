#pragma once

#include <cmath>

namespace setup {

/// Twips per inch: the unit in which the progress window is laid out.
inline constexpr double kTwipsPerInch = 1440.0;

/// Pixels for `twips` on a screen of `dotsPerInch` logical dots, to the nearest pixel (15 twips a pixel
/// at 96).
inline int twipsToPixels(double twips, double dotsPerInch) {
    return static_cast<int>(std::lround(twips * dotsPerInch / kTwipsPerInch));
}

}  // namespace setup
