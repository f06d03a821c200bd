#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "signing/p256_values.h"

namespace setup::p256 {

/// The DER ECDSA-Sig-Value (a SEQUENCE of the INTEGERs r and s) of a raw signature.
std::vector<std::uint8_t> signatureDer(const RawSignature& raw);

/// The raw signature that the DER ECDSA-Sig-Value `der` holds; nothing when it is not strict DER, has bytes
/// after it, or r or s lies outside 1 .. n-1.
std::optional<RawSignature> rawSignature(std::span<const std::uint8_t> der);

}  // namespace setup::p256
