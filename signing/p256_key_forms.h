#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "signing/p256_values.h"

namespace setup::p256 {

/// A private key as its file gives it: the secret number, and the public point when the file holds it.
struct PrivateKeyFields {
    Scalar scalar{};
    std::optional<Point> publicPoint;
};

/// The SubjectPublicKeyInfo DER of `point` (id-ecPublicKey on prime256v1, uncompressed point).
std::vector<std::uint8_t> encodePublicKeyInfo(const Point& point);
/// The point of a P-256 SubjectPublicKeyInfo DER. Throws Failure for another algorithm or curve, a point
/// that is not uncompressed, or anything that is not strict DER with nothing after it.
Point decodePublicKeyInfo(std::span<const std::uint8_t> der);

/// The PKCS#8 PrivateKeyInfo DER of a key, with its public point inside, as `openssl genpkey` writes it.
std::vector<std::uint8_t> encodePrivateKeyInfo(const Scalar& scalar, const Point& point);
/// The fields of a P-256 PKCS#8 PrivateKeyInfo DER, with or without the public point. Throws Failure.
PrivateKeyFields decodePrivateKeyInfo(std::span<const std::uint8_t> der);
/// The fields of a P-256 SEC1 ECPrivateKey DER ("EC PRIVATE KEY"), which must name its curve. Throws Failure.
PrivateKeyFields decodeEcPrivateKey(std::span<const std::uint8_t> der);

}  // namespace setup::p256
