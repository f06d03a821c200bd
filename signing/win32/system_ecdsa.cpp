#include "signing/system_ecdsa.h"

#include <windows.h>
// After windows.h, which it needs.
#include <bcrypt.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/failure.h"
#include "platform/file_digest.h"

namespace setup::p256 {

namespace {

constexpr ULONG kFieldSize = 32;
// ntstatus.h would clash with the definitions windows.h already makes.
constexpr NTSTATUS kInvalidSignature = static_cast<NTSTATUS>(0xC000A000);

bool succeeded(NTSTATUS status) { return status >= 0; }

[[noreturn]] void fail(const std::string& what, NTSTATUS status) {
    char code[16];
    std::snprintf(code, sizeof code, "%08lX", static_cast<unsigned long>(status));
    throw Failure(what + ": NTSTATUS 0x" + code);
}

/// The ECDSA P-256 provider, open for as long as the object lives.
class Algorithm {
  public:
    Algorithm() {
        const NTSTATUS status =
            ::BCryptOpenAlgorithmProvider(&m_handle, BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0);
        if (!succeeded(status)) fail("ECDSA P-256 unavailable", status);
    }
    ~Algorithm() { ::BCryptCloseAlgorithmProvider(m_handle, 0); }
    Algorithm(const Algorithm&) = delete;
    Algorithm& operator=(const Algorithm&) = delete;
    BCRYPT_ALG_HANDLE get() const { return m_handle; }

  private:
    BCRYPT_ALG_HANDLE m_handle = nullptr;
};

/// A key of the provider, destroyed with the object.
class KeyHandle {
  public:
    KeyHandle() = default;
    ~KeyHandle() {
        if (m_handle != nullptr) ::BCryptDestroyKey(m_handle);
    }
    KeyHandle(const KeyHandle&) = delete;
    KeyHandle& operator=(const KeyHandle&) = delete;
    BCRYPT_KEY_HANDLE get() const { return m_handle; }
    BCRYPT_KEY_HANDLE* put() { return &m_handle; }

  private:
    BCRYPT_KEY_HANDLE m_handle = nullptr;
};

/// A BCRYPT_ECCKEY_BLOB: the header, X, Y and, for a private blob, d.
std::vector<UCHAR> keyBlob(ULONG magic, const Point& point, const Scalar* scalar) {
    const BCRYPT_ECCKEY_BLOB header{magic, kFieldSize};
    const auto* headerBytes = reinterpret_cast<const UCHAR*>(&header);
    std::vector<UCHAR> blob(headerBytes, headerBytes + sizeof header);
    blob.insert(blob.end(), point.begin() + 1, point.end());
    if (scalar != nullptr) blob.insert(blob.end(), scalar->begin(), scalar->end());
    return blob;
}

/// Imports `blob` of `type` into `key` and wipes the blob; throws Failure naming `what`.
void importBlob(const Algorithm& algorithm, KeyHandle& key, LPCWSTR type, std::vector<UCHAR>& blob,
                const char* what) {
    const NTSTATUS status = ::BCryptImportKeyPair(algorithm.get(), nullptr, type, key.put(), blob.data(),
                                                  static_cast<ULONG>(blob.size()), 0);
    SecureZeroMemory(blob.data(), blob.size());
    if (!succeeded(status)) fail(what, status);
}

/// The key exported as a blob of `type`, whose header must carry `magic`.
std::vector<UCHAR> exportBlob(const KeyHandle& key, LPCWSTR type, ULONG magic) {
    ULONG size = 0;
    NTSTATUS status = ::BCryptExportKey(key.get(), nullptr, type, nullptr, 0, &size, 0);
    std::vector<UCHAR> blob(size);
    if (succeeded(status)) status = ::BCryptExportKey(key.get(), nullptr, type, blob.data(), size, &size, 0);
    if (!succeeded(status)) fail("cannot export a P-256 key", status);
    BCRYPT_ECCKEY_BLOB header{};
    if (size < sizeof header) throw Failure("P-256 key exported without its header");
    std::copy_n(blob.data(), sizeof header, reinterpret_cast<UCHAR*>(&header));
    const bool isPrivate = magic == BCRYPT_ECDSA_PRIVATE_P256_MAGIC;
    if (header.dwMagic != magic || header.cbKey != kFieldSize ||
        size != sizeof header + (isPrivate ? 3 : 2) * kFieldSize)
        throw Failure("P-256 key exported in an unexpected layout");
    blob.resize(size);
    return blob;
}

Point pointOfBlob(const std::vector<UCHAR>& blob) {
    Point point{};
    point[0] = 0x04;
    std::copy_n(blob.begin() + sizeof(BCRYPT_ECCKEY_BLOB), 2 * kFieldSize, point.begin() + 1);
    return point;
}

Point exportedPoint(const KeyHandle& key) {
    return pointOfBlob(exportBlob(key, BCRYPT_ECCPUBLIC_BLOB, BCRYPT_ECDSA_PUBLIC_P256_MAGIC));
}

}  // namespace

GeneratedKey generateSystemKey() {
    const Algorithm algorithm;
    KeyHandle key;
    NTSTATUS status = ::BCryptGenerateKeyPair(algorithm.get(), key.put(), 256, 0);
    if (succeeded(status)) status = ::BCryptFinalizeKeyPair(key.get(), 0);
    if (!succeeded(status)) fail("cannot generate a P-256 key", status);
    std::vector<UCHAR> blob = exportBlob(key, BCRYPT_ECCPRIVATE_BLOB, BCRYPT_ECDSA_PRIVATE_P256_MAGIC);
    GeneratedKey generated;
    generated.point = pointOfBlob(blob);
    std::copy_n(blob.end() - kFieldSize, kFieldSize, generated.scalar.begin());
    SecureZeroMemory(blob.data(), blob.size());
    return generated;
}

struct SystemPublicKey::Handle {
    Algorithm algorithm;
    KeyHandle key;
};

// Windows checks that the point lies on the curve here (BCRYPT_NO_KEY_VALIDATION is what skips it). Wine's
// bcrypt takes any point that has no zero coordinate, and its verification then answers "invalid signature"
// for every signature: such a key is never trusted, but under Wine it shows as a key that verifies nothing
// rather than as a broken key.
SystemPublicKey::SystemPublicKey(const Point& point) : m_handle(std::make_unique<Handle>()) {
    std::vector<UCHAR> blob = keyBlob(BCRYPT_ECDSA_PUBLIC_P256_MAGIC, point, nullptr);
    importBlob(m_handle->algorithm, m_handle->key, BCRYPT_ECCPUBLIC_BLOB, blob,
               "EC public key that is not a point of the P-256 curve");
}

SystemPublicKey::~SystemPublicKey() = default;

bool SystemPublicKey::verify(std::span<const std::uint8_t> message, const RawSignature& signature) const {
    Sha256Digest digest = sha256Of(message.data(), message.size());
    RawSignature copy = signature;
    const NTSTATUS status = ::BCryptVerifySignature(m_handle->key.get(), nullptr, digest.data(),
                                                    digest.size(), copy.data(), copy.size(), 0);
    if (status == kInvalidSignature) return false;
    if (!succeeded(status)) fail("cannot verify a signature", status);
    return true;
}

struct SystemPrivateKey::Handle {
    Algorithm algorithm;
    KeyHandle key;
    Point point{};
};

SystemPrivateKey::SystemPrivateKey(const Scalar& scalar, const std::optional<Point>& point)
    : m_handle(std::make_unique<Handle>()) {
    if (point) {
        // Taken as given: the caller's first signature tells whether the point belongs to the secret.
        std::vector<UCHAR> blob = keyBlob(BCRYPT_ECDSA_PRIVATE_P256_MAGIC, *point, &scalar);
        importBlob(m_handle->algorithm, m_handle->key, BCRYPT_ECCPRIVATE_BLOB, blob,
                   "cannot import an EC private key");
        m_handle->point = *point;
        return;
    }
    // Windows has no call that computes a public key, but given a blob whose point is left zero and told
    // not to check it, it computes the point itself and exports that one. Wine refuses such a blob (its
    // bcrypt takes the point as stored and rejects a zero coordinate), so there a key file must carry its
    // point, as every file that openssl genpkey and this program write does.
    std::vector<UCHAR> blob = keyBlob(BCRYPT_ECDSA_PRIVATE_P256_MAGIC, Point{}, &scalar);
    const NTSTATUS status =
        ::BCryptImportKeyPair(m_handle->algorithm.get(), nullptr, BCRYPT_ECCPRIVATE_BLOB, m_handle->key.put(),
                              blob.data(), static_cast<ULONG>(blob.size()), BCRYPT_NO_KEY_VALIDATION);
    SecureZeroMemory(blob.data(), blob.size());
    if (succeeded(status)) m_handle->point = exportedPoint(m_handle->key);
    if (!succeeded(status) || m_handle->point == Point{0x04})
        throw Failure(
            "this system cannot compute the public key of an EC private key that does not carry it");
}

SystemPrivateKey::~SystemPrivateKey() = default;

Point SystemPrivateKey::publicPoint() const { return m_handle->point; }

RawSignature SystemPrivateKey::sign(std::span<const std::uint8_t> message) const {
    Sha256Digest digest = sha256Of(message.data(), message.size());
    RawSignature signature{};
    ULONG size = 0;
    const NTSTATUS status = ::BCryptSignHash(m_handle->key.get(), nullptr, digest.data(), digest.size(),
                                             signature.data(), signature.size(), &size, 0);
    if (!succeeded(status)) fail("cannot sign", status);
    if (size != signature.size()) throw Failure("the system made a signature of an unexpected size");
    return signature;
}

}  // namespace setup::p256
