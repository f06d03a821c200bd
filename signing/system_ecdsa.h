#pragma once

// ECDSA P-256 with SHA-256 from the system's own cryptographic library; one implementation per system
// (posix/: OpenSSL's libcrypto, win32/: bcrypt.dll), both taking the raw forms of p256_values.h.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#include "signing/p256_values.h"

namespace setup::p256 {

/// A key pair freshly drawn from the system's random source.
struct GeneratedKey {
    Scalar scalar{};
    Point point{};
};

/// A fresh key pair. Throws Failure when the system refuses.
GeneratedKey generateSystemKey();

/// A public key held by the system, ready to verify.
class SystemPublicKey {
  public:
    /// Takes `point`; throws Failure when it is not a point of the P-256 curve.
    explicit SystemPublicKey(const Point& point);
    ~SystemPublicKey();
    SystemPublicKey(const SystemPublicKey&) = delete;
    SystemPublicKey& operator=(const SystemPublicKey&) = delete;

    /// Whether `signature` is a valid signature of SHA-256(`message`) by this key.
    bool verify(std::span<const std::uint8_t> message, const RawSignature& signature) const;

  private:
    struct Handle;
    std::unique_ptr<Handle> m_handle;
};

/// A private key held by the system, ready to sign.
class SystemPrivateKey {
  public:
    /// Takes `scalar` (in range), with the public point its file gave, if any. A system may take a given
    /// point as it is, so a caller that relies on the pair checks a signature with it. Throws Failure.
    SystemPrivateKey(const Scalar& scalar, const std::optional<Point>& point);
    ~SystemPrivateKey();
    SystemPrivateKey(const SystemPrivateKey&) = delete;
    SystemPrivateKey& operator=(const SystemPrivateKey&) = delete;

    /// The key's public point as the system holds it.
    Point publicPoint() const;
    /// A signature of SHA-256(`message`). Throws Failure.
    RawSignature sign(std::span<const std::uint8_t> message) const;

  private:
    struct Handle;
    std::unique_ptr<Handle> m_handle;
};

}  // namespace setup::p256
