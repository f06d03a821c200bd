#pragma once

// ECDSA P-256 signatures over SHA-256, with keys and signatures in the forms the openssl command line reads
// and writes, so that an update's author can sign with either tool.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace setup {

/// A key pair as its files hold it.
struct SigningKeyPair {
    std::string privateKeyPem;  ///< PKCS#8 "PRIVATE KEY" PEM, public point inside
    std::string publicKeyPem;   ///< SubjectPublicKeyInfo "PUBLIC KEY" PEM, uncompressed point
};

/// A fresh key pair drawn from the system's random source. Throws Failure.
SigningKeyPair generateSigningKey();

/// The "PUBLIC KEY" PEM of the private key `privateKeyPem` (PKCS#8 "PRIVATE KEY", with or without its public
/// point, or SEC1 "EC PRIVATE KEY"). Throws Failure when that text is not a P-256 private key.
std::string publicKeyOf(const std::string& privateKeyPem);

/// The DER ECDSA-Sig-Value (SEQUENCE of the INTEGERs r and s) of SHA-256(`message`) by the private key
/// `privateKeyPem`. Throws Failure when that text is not a P-256 private key or the system refuses.
std::vector<std::uint8_t> signMessage(const std::string& privateKeyPem,
                                      std::span<const std::uint8_t> message);

/// Whether `signatureDer` is a strict DER signature of `message` by the key `publicKeyPem`; false for any
/// other signature. Throws Failure when the key text is not a P-256 "PUBLIC KEY" PEM.
bool verifySignature(const std::string& publicKeyPem, std::span<const std::uint8_t> message,
                     std::span<const std::uint8_t> signatureDer);

/// The key `publicKeyPem` in a form that compares: the lowercase hexadecimal SHA-256 of its
/// SubjectPublicKeyInfo DER. Throws Failure when the text is not a P-256 "PUBLIC KEY" PEM.
std::string publicKeyFingerprint(const std::string& publicKeyPem);

}  // namespace setup
