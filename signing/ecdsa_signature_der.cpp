#include "signing/ecdsa_signature_der.h"

#include "platform/failure.h"
#include "signing/der_encoding.h"

namespace setup::p256 {

namespace {

// A SEQUENCE of two INTEGERs of at most 33 bytes each.
constexpr std::size_t kMaxDerSize = 2 + 2 * (2 + 33);

}  // namespace

std::vector<std::uint8_t> signatureDer(const RawSignature& raw) {
    const std::span<const std::uint8_t> bytes(raw);
    std::vector<std::uint8_t> integers;
    der::appendUnsigned(integers, bytes.first(32));
    der::appendUnsigned(integers, bytes.last(32));
    std::vector<std::uint8_t> out;
    der::appendElement(out, der::kSequence, integers);
    return out;
}

std::optional<RawSignature> rawSignature(std::span<const std::uint8_t> der) {
    if (der.size() > kMaxDerSize) return std::nullopt;
    RawSignature raw{};
    const auto r = std::span(raw).first<32>();
    const auto s = std::span(raw).last<32>();
    try {
        der::Reader outer(der);
        der::Reader integers(outer.read(der::kSequence));
        outer.expectEnd();
        der::readUnsigned(integers.read(der::kInteger), r);
        der::readUnsigned(integers.read(der::kInteger), s);
        integers.expectEnd();
    } catch (const Failure&) {
        return std::nullopt;
    }
    // Values out of range are refused here rather than left to each system, so both answer alike.
    if (!inScalarRange(r) || !inScalarRange(s)) return std::nullopt;
    return raw;
}

}  // namespace setup::p256
