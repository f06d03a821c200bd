#pragma once

#include <cstdint>
#include <vector>

namespace setup {

/// One band of the backdrop gradient: the rectangle from (left, top) to (right, bottom), both corners
/// included, filled with (0, 0, blue).
struct BackdropBand {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int blue = 0;
};

/// Everything the backdrop draws that depends on the window's size.
struct BackdropPlan {
    std::int16_t height = 0;          ///< drawable height as a 16-bit whole number
    std::int16_t width = 0;           ///< drawable width as a 16-bit whole number
    int fontPointSize = 0;            ///< 24 from a drawable height of 481 on, 16 below
    std::int16_t lineOffset = 0;      ///< 32 with the large font, 24 with the small one
    std::vector<BackdropBand> bands;  ///< top to bottom, one for every second row
};

/// The gradient, font size and line offset for a drawable area of `height` x `width` pixels. Throws
/// Failure on a height that rounds to 0 (division by zero) and on a size or band beyond 32767 (overflow).
BackdropPlan planBackdrop(double height, double width);

/// Where the logo box goes: its left and top edge for a logo of `logoWidth` x `logoHeight` inner pixels.
struct LogoPlace {
    double left = 0;
    double top = 0;
};

/// Centred horizontally, 8 pixels above the bottom edge.
LogoPlace placeLogo(double height, double width, double logoHeight, double logoWidth);

}  // namespace setup
