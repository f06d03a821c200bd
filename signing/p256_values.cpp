#include "signing/p256_values.h"

#include <algorithm>

namespace setup::p256 {

namespace {

// The order n of the P-256 group (FIPS 186-4, D.1.2.3).
constexpr std::array<std::uint8_t, 32> kOrder = {
    0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
    0xBC, 0xE6, 0xFA, 0xAD, 0xA7, 0x17, 0x9E, 0x84, 0xF3, 0xB9, 0xCA, 0xC2, 0xFC, 0x63, 0x25, 0x51};

}  // namespace

bool inScalarRange(std::span<const std::uint8_t, 32> value) {
    const bool zero = std::all_of(value.begin(), value.end(), [](std::uint8_t b) { return b == 0; });
    // Equal lengths, big-endian: the byte order is the numeric order.
    return !zero && std::lexicographical_compare(value.begin(), value.end(), kOrder.begin(), kOrder.end());
}

}  // namespace setup::p256
