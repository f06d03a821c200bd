#include "signing/p256_key_forms.h"

#include <algorithm>
#include <array>

#include "platform/failure.h"
#include "signing/der_encoding.h"

namespace setup::p256 {

namespace {

// 1.2.840.10045.2.1 and 1.2.840.10045.3.1.7.
constexpr std::array<std::uint8_t, 7> kEcPublicKeyOid = {0x2A, 0x86, 0x48, 0xCE, 0x3D, 0x02, 0x01};
constexpr std::array<std::uint8_t, 8> kPrime256v1Oid = {0x2A, 0x86, 0x48, 0xCE, 0x3D, 0x03, 0x01, 0x07};
constexpr std::uint8_t kUncompressed = 0x04;

bool equal(std::span<const std::uint8_t> bytes, std::span<const std::uint8_t> expected) {
    return std::equal(bytes.begin(), bytes.end(), expected.begin(), expected.end());
}

void expectCurveOid(std::span<const std::uint8_t> oid) {
    if (!equal(oid, kPrime256v1Oid)) throw Failure("EC key on a curve other than P-256");
}

/// The AlgorithmIdentifier of a P-256 key, its SEQUENCE included.
std::vector<std::uint8_t> algorithmIdentifier() {
    std::vector<std::uint8_t> fields;
    der::appendElement(fields, der::kObjectIdentifier, kEcPublicKeyOid);
    der::appendElement(fields, der::kObjectIdentifier, kPrime256v1Oid);
    std::vector<std::uint8_t> out;
    der::appendElement(out, der::kSequence, fields);
    return out;
}

void readAlgorithmIdentifier(der::Reader& outer) {
    der::Reader fields(outer.read(der::kSequence));
    if (!equal(fields.read(der::kObjectIdentifier), kEcPublicKeyOid))
        throw Failure("key of an algorithm other than EC");
    expectCurveOid(fields.read(der::kObjectIdentifier));
    fields.expectEnd();
}

/// The BIT STRING contents of an uncompressed point.
std::vector<std::uint8_t> pointBits(const Point& point) {
    std::vector<std::uint8_t> bits{0};
    bits.insert(bits.end(), point.begin(), point.end());
    return bits;
}

Point readPointBits(std::span<const std::uint8_t> bits) {
    Point point{};
    if (bits.size() != 1 + point.size() || bits[0] != 0 || bits[1] != kUncompressed)
        throw Failure("EC public key that is not an uncompressed P-256 point");
    std::copy(bits.begin() + 1, bits.end(), point.begin());
    return point;
}

bool isVersion(std::span<const std::uint8_t> integer, std::uint8_t version) {
    return integer.size() == 1 && integer[0] == version;
}

/// The fields of an ECPrivateKey; `curveRequired` when nothing around it names the curve.
PrivateKeyFields readEcPrivateKey(std::span<const std::uint8_t> der, bool curveRequired) {
    der::Reader outer(der);
    der::Reader fields(outer.read(der::kSequence));
    outer.expectEnd();
    if (!isVersion(fields.read(der::kInteger), 1)) throw Failure("EC private key of an unknown version");
    PrivateKeyFields key;
    const std::span<const std::uint8_t> secret = fields.read(der::kOctetString);
    if (secret.size() != key.scalar.size()) throw Failure("EC private key of a length other than 32 bytes");
    std::copy(secret.begin(), secret.end(), key.scalar.begin());
    if (!inScalarRange(key.scalar)) throw Failure("EC private key outside the range of the P-256 group");
    if (fields.nextIs(der::kExplicit0)) {
        der::Reader parameters(fields.read(der::kExplicit0));
        expectCurveOid(parameters.read(der::kObjectIdentifier));
        parameters.expectEnd();
    } else if (curveRequired) {
        throw Failure("EC private key that does not name its curve");
    }
    if (fields.nextIs(der::kExplicit1)) {
        der::Reader publicKey(fields.read(der::kExplicit1));
        key.publicPoint = readPointBits(publicKey.read(der::kBitString));
        publicKey.expectEnd();
    }
    fields.expectEnd();
    return key;
}

}  // namespace

std::vector<std::uint8_t> encodePublicKeyInfo(const Point& point) {
    std::vector<std::uint8_t> fields = algorithmIdentifier();
    der::appendElement(fields, der::kBitString, pointBits(point));
    std::vector<std::uint8_t> out;
    der::appendElement(out, der::kSequence, fields);
    return out;
}

Point decodePublicKeyInfo(std::span<const std::uint8_t> der) {
    der::Reader outer(der);
    der::Reader fields(outer.read(der::kSequence));
    outer.expectEnd();
    readAlgorithmIdentifier(fields);
    const Point point = readPointBits(fields.read(der::kBitString));
    fields.expectEnd();
    return point;
}

std::vector<std::uint8_t> encodePrivateKeyInfo(const Scalar& scalar, const Point& point) {
    // The ECPrivateKey leaves out the curve, which the AlgorithmIdentifier around it names already.
    std::vector<std::uint8_t> publicKey;
    der::appendElement(publicKey, der::kBitString, pointBits(point));
    std::vector<std::uint8_t> ecFields;
    der::appendElement(ecFields, der::kInteger, std::array<std::uint8_t, 1>{1});
    der::appendElement(ecFields, der::kOctetString, scalar);
    der::appendElement(ecFields, der::kExplicit1, publicKey);
    std::vector<std::uint8_t> ecPrivateKey;
    der::appendElement(ecPrivateKey, der::kSequence, ecFields);

    std::vector<std::uint8_t> fields;
    der::appendElement(fields, der::kInteger, std::array<std::uint8_t, 1>{0});
    const std::vector<std::uint8_t> algorithm = algorithmIdentifier();
    fields.insert(fields.end(), algorithm.begin(), algorithm.end());
    der::appendElement(fields, der::kOctetString, ecPrivateKey);
    std::vector<std::uint8_t> out;
    der::appendElement(out, der::kSequence, fields);
    return out;
}

PrivateKeyFields decodePrivateKeyInfo(std::span<const std::uint8_t> der) {
    der::Reader outer(der);
    der::Reader fields(outer.read(der::kSequence));
    outer.expectEnd();
    if (!isVersion(fields.read(der::kInteger), 0)) throw Failure("PKCS#8 private key of an unknown version");
    readAlgorithmIdentifier(fields);
    const std::span<const std::uint8_t> ecPrivateKey = fields.read(der::kOctetString);
    // Attributes, which no key of ours carries, are refused with everything else that follows.
    fields.expectEnd();
    return readEcPrivateKey(ecPrivateKey, false);
}

PrivateKeyFields decodeEcPrivateKey(std::span<const std::uint8_t> der) { return readEcPrivateKey(der, true); }

}  // namespace setup::p256
