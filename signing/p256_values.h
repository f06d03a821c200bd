#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace setup::p256 {

/// A private key: the secret number, big-endian, in 1 .. n-1 for the order n of the curve's group.
using Scalar = std::array<std::uint8_t, 32>;
/// A public key: the uncompressed point, 0x04 then the coordinates X and Y, big-endian.
using Point = std::array<std::uint8_t, 65>;
/// A signature as the systems' raw interfaces take it: r then s, each big-endian on 32 bytes.
using RawSignature = std::array<std::uint8_t, 64>;

/// Whether the big-endian 32-byte `value` lies in 1 .. n-1, the range of private keys, r and s.
bool inScalarRange(std::span<const std::uint8_t, 32> value);

}  // namespace setup::p256
