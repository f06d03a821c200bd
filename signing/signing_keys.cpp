#include "signing/signing_keys.h"

#include <string_view>

#include "platform/failure.h"
#include "platform/file_digest.h"
#include "signing/ecdsa_signature_der.h"
#include "signing/p256_key_forms.h"
#include "signing/pem_armour.h"
#include "signing/system_ecdsa.h"

namespace setup {

namespace {

constexpr std::string_view kPublicKeyLabel = "PUBLIC KEY";
constexpr std::string_view kPrivateKeyLabel = "PRIVATE KEY";
constexpr std::string_view kEcPrivateKeyLabel = "EC PRIVATE KEY";

p256::Point readPublicKey(const std::string& pem) {
    const PemBlock block = readPemBlock(pem);
    if (block.label != kPublicKeyLabel)
        throw Failure("key text labelled " + block.label + ", not PUBLIC KEY");
    return p256::decodePublicKeyInfo(block.der);
}

p256::PrivateKeyFields readPrivateKey(const std::string& pem) {
    const PemBlock block = readPemBlock(pem);
    if (block.label == kPrivateKeyLabel) return p256::decodePrivateKeyInfo(block.der);
    if (block.label == kEcPrivateKeyLabel) return p256::decodeEcPrivateKey(block.der);
    // ENCRYPTED PRIVATE KEY among them: a signing tool run unattended has no one to ask for a pass phrase.
    throw Failure("key text labelled " + block.label + ", not PRIVATE KEY or EC PRIVATE KEY");
}

/// A private key whose every signature is checked against the public point it names before it leaves:
/// a key file whose embedded point belongs to another key would otherwise sign under one name and
/// announce another, and a fault in the system's signing would go unseen.
class CheckedPrivateKey {
  public:
    explicit CheckedPrivateKey(const std::string& pem) : CheckedPrivateKey(readPrivateKey(pem)) {}

    const p256::Point& point() const { return m_point; }

    p256::RawSignature sign(std::span<const std::uint8_t> message) const {
        const p256::RawSignature signature = m_key.sign(message);
        if (!m_verifier.verify(message, signature))
            throw Failure("the private key does not match the public key it carries");
        return signature;
    }

  private:
    explicit CheckedPrivateKey(const p256::PrivateKeyFields& fields)
        : m_key(fields.scalar, fields.publicPoint), m_point(m_key.publicPoint()), m_verifier(m_point) {}

    p256::SystemPrivateKey m_key;
    p256::Point m_point;
    p256::SystemPublicKey m_verifier;
};

std::string publicKeyPem(const p256::Point& point) {
    return pemArmour(kPublicKeyLabel, p256::encodePublicKeyInfo(point));
}

}  // namespace

SigningKeyPair generateSigningKey() {
    const p256::GeneratedKey key = p256::generateSystemKey();
    return SigningKeyPair{pemArmour(kPrivateKeyLabel, p256::encodePrivateKeyInfo(key.scalar, key.point)),
                          publicKeyPem(key.point)};
}

std::string publicKeyOf(const std::string& privateKeyPem) {
    const CheckedPrivateKey key(privateKeyPem);
    constexpr std::uint8_t kProbe[] = {'K', 'e', 'l', 'v', 'a', 'n', 'e'};
    key.sign(kProbe);
    return publicKeyPem(key.point());
}

std::vector<std::uint8_t> signMessage(const std::string& privateKeyPem,
                                      std::span<const std::uint8_t> message) {
    return p256::signatureDer(CheckedPrivateKey(privateKeyPem).sign(message));
}

bool verifySignature(const std::string& publicKeyPem, std::span<const std::uint8_t> message,
                     std::span<const std::uint8_t> signatureDer) {
    // The key is checked first, so that a broken key text is reported whatever the signature.
    const p256::SystemPublicKey key(readPublicKey(publicKeyPem));
    const std::optional<p256::RawSignature> signature = p256::rawSignature(signatureDer);
    return signature && key.verify(message, *signature);
}

std::string publicKeyFingerprint(const std::string& publicKeyPem) {
    const p256::Point point = readPublicKey(publicKeyPem);
    const p256::SystemPublicKey onTheCurve(point);
    const std::vector<std::uint8_t> der = p256::encodePublicKeyInfo(point);
    constexpr char kHex[] = "0123456789abcdef";
    std::string hex;
    for (const std::uint8_t byte : sha256Of(der.data(), der.size())) {
        hex += kHex[byte >> 4];
        hex += kHex[byte & 0x0F];
    }
    return hex;
}

}  // namespace setup
