#include "run/backdrop_bands.h"

#include <cmath>
#include <limits>

#include "platform/failure.h"

namespace setup {

namespace {

constexpr int kMaxWhole = std::numeric_limits<std::int16_t>::max();
constexpr int kMinWhole = std::numeric_limits<std::int16_t>::min();

/// Nearest whole number, an exact half going to the even neighbour, whatever the rounding mode in force.
double roundHalfEven(double value) {
    const double floor = std::floor(value);
    const double fraction = value - floor;
    if (fraction > 0.5) return floor + 1;
    if (fraction < 0.5) return floor;
    return std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
}

std::int16_t toWhole16(double value) {
    if (!std::isfinite(value)) throw Failure("Dépassement de capacité");
    const double rounded = roundHalfEven(value);
    if (rounded > kMaxWhole || rounded < kMinWhole) throw Failure("Dépassement de capacité");
    return static_cast<std::int16_t>(rounded);
}

}  // namespace

BackdropPlan planBackdrop(double height, double width) {
    BackdropPlan plan;
    plan.height = toWhole16(height);
    plan.width = toWhole16(width);
    const bool large = height >= 481;
    plan.fontPointSize = large ? 24 : 16;
    plan.lineOffset = large ? 32 : 24;
    if (plan.height == 0) throw Failure("Division par zéro");

    const float step = -510.0f / static_cast<float>(plan.height);
    float blue = 255.0f;
    for (int i = 0; i <= plan.height; i += 2) {
        if (i + 2 > kMaxWhole) throw Failure("Dépassement de capacité");
        plan.bands.push_back({.left = -1,
                              .top = i - 1,
                              .right = plan.width,
                              .bottom = i + 2,
                              .blue = static_cast<int>(roundHalfEven(blue))});
        blue += step;
    }
    return plan;
}

LogoPlace placeLogo(double height, double width, double logoHeight, double logoWidth) {
    return {.left = (width - logoWidth) / 2, .top = height - logoHeight - 8};
}

}  // namespace setup
