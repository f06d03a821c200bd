#include "signing/system_ecdsa.h"

#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/ec.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/obj_mac.h>
#include <openssl/param_build.h>

#include <string>

#include "platform/failure.h"
#include "signing/ecdsa_signature_der.h"

namespace setup::p256 {

namespace {

template <typename T, void (*Free)(T*)>
struct Freer {
    void operator()(T* p) const { Free(p); }
};
template <typename T, void (*Free)(T*)>
using Owned = std::unique_ptr<T, Freer<T, Free>>;

using Key = Owned<EVP_PKEY, EVP_PKEY_free>;
using KeyContext = Owned<EVP_PKEY_CTX, EVP_PKEY_CTX_free>;
using DigestContext = Owned<EVP_MD_CTX, EVP_MD_CTX_free>;
using Number = Owned<BIGNUM, BN_clear_free>;
using Group = Owned<EC_GROUP, EC_GROUP_free>;
using GroupPoint = Owned<EC_POINT, EC_POINT_free>;
using ParamBuilder = Owned<OSSL_PARAM_BLD, OSSL_PARAM_BLD_free>;
using Params = Owned<OSSL_PARAM, OSSL_PARAM_free>;

constexpr char kCurveName[] = "prime256v1";

/// Throws Failure naming `what` and the first error OpenSSL queued, and empties its queue.
[[noreturn]] void fail(const std::string& what) {
    char reason[256] = "no reason given";
    if (const unsigned long error = ERR_get_error(); error != 0)
        ERR_error_string_n(error, reason, sizeof reason);
    ERR_clear_error();
    throw Failure(what + ": " + reason);
}

void check(int result, const char* what) {
    if (result != 1) fail(what);
}

/// OpenSSL reads from the pointer even for zero bytes; an empty message still needs a valid one.
const unsigned char* bytesOf(std::span<const std::uint8_t> bytes) {
    static const unsigned char kNothing = 0;
    return bytes.empty() ? &kNothing : bytes.data();
}

/// The EVP key of `point`, and of `secret` too when given; the system checks the point lies on the curve.
Key keyFromFields(const Point& point, const BIGNUM* secret) {
    const ParamBuilder builder(OSSL_PARAM_BLD_new());
    if (!builder ||
        OSSL_PARAM_BLD_push_utf8_string(builder.get(), OSSL_PKEY_PARAM_GROUP_NAME, kCurveName, 0) != 1 ||
        OSSL_PARAM_BLD_push_octet_string(builder.get(), OSSL_PKEY_PARAM_PUB_KEY, point.data(),
                                         point.size()) != 1 ||
        (secret != nullptr && OSSL_PARAM_BLD_push_BN(builder.get(), OSSL_PKEY_PARAM_PRIV_KEY, secret) != 1))
        fail("cannot describe an EC key");
    const Params params(OSSL_PARAM_BLD_to_param(builder.get()));
    const KeyContext context(EVP_PKEY_CTX_new_from_name(nullptr, "EC", nullptr));
    if (!params || !context) fail("cannot describe an EC key");
    check(EVP_PKEY_fromdata_init(context.get()), "cannot import an EC key");
    EVP_PKEY* key = nullptr;
    const int selection = secret != nullptr ? EVP_PKEY_KEYPAIR : EVP_PKEY_PUBLIC_KEY;
    if (EVP_PKEY_fromdata(context.get(), &key, selection, params.get()) != 1)
        fail("EC public key that is not a point of the P-256 curve");
    Key owned(key);
    const KeyContext checker(EVP_PKEY_CTX_new_from_pkey(nullptr, key, nullptr));
    if (!checker || EVP_PKEY_public_check(checker.get()) != 1)
        fail("EC public key that is not a point of the P-256 curve");
    return owned;
}

/// The public point of the secret number `secret`: secret x G.
Point pointOf(const BIGNUM* secret) {
    const Group group(EC_GROUP_new_by_curve_name(NID_X9_62_prime256v1));
    if (!group) fail("P-256 unavailable");
    const GroupPoint product(EC_POINT_new(group.get()));
    Point point{};
    if (!product || EC_POINT_mul(group.get(), product.get(), secret, nullptr, nullptr, nullptr) != 1 ||
        EC_POINT_point2oct(group.get(), product.get(), POINT_CONVERSION_UNCOMPRESSED, point.data(),
                           point.size(), nullptr) != point.size())
        fail("cannot compute the public key of an EC private key");
    return point;
}

Number numberOf(const Scalar& scalar) {
    Number number(BN_bin2bn(scalar.data(), static_cast<int>(scalar.size()), nullptr));
    if (!number) fail("cannot hold an EC private key");
    return number;
}

}  // namespace

GeneratedKey generateSystemKey() {
    const Key key(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256"));
    if (!key) fail("cannot generate a P-256 key");
    BIGNUM* secret = nullptr;
    check(EVP_PKEY_get_bn_param(key.get(), OSSL_PKEY_PARAM_PRIV_KEY, &secret), "cannot export a P-256 key");
    const Number owned(secret);
    GeneratedKey generated;
    if (BN_bn2binpad(secret, generated.scalar.data(), static_cast<int>(generated.scalar.size())) < 0)
        fail("cannot export a P-256 key");
    generated.point = pointOf(secret);
    return generated;
}

struct SystemPublicKey::Handle {
    Key key;
};

SystemPublicKey::SystemPublicKey(const Point& point) : m_handle(new Handle{keyFromFields(point, nullptr)}) {}

SystemPublicKey::~SystemPublicKey() = default;

bool SystemPublicKey::verify(std::span<const std::uint8_t> message, const RawSignature& signature) const {
    const std::vector<std::uint8_t> der = signatureDer(signature);
    const DigestContext context(EVP_MD_CTX_new());
    if (!context) fail("cannot verify a signature");
    check(EVP_DigestVerifyInit(context.get(), nullptr, EVP_sha256(), nullptr, m_handle->key.get()),
          "cannot verify a signature");
    const bool valid =
        EVP_DigestVerify(context.get(), der.data(), der.size(), bytesOf(message), message.size()) == 1;
    // A signature that does not verify leaves its reason queued; it is an answer, not an error.
    ERR_clear_error();
    return valid;
}

struct SystemPrivateKey::Handle {
    Key key;
    Point point;
};

SystemPrivateKey::SystemPrivateKey(const Scalar& scalar, const std::optional<Point>& point) {
    const Number secret = numberOf(scalar);
    // OpenSSL would take a key file's public point as given; the one computed from the secret is the truth.
    const Point computed = pointOf(secret.get());
    if (point && *point != computed) throw Failure("EC private key whose public key belongs to another key");
    m_handle.reset(new Handle{keyFromFields(computed, secret.get()), computed});
}

SystemPrivateKey::~SystemPrivateKey() = default;

Point SystemPrivateKey::publicPoint() const { return m_handle->point; }

RawSignature SystemPrivateKey::sign(std::span<const std::uint8_t> message) const {
    const DigestContext context(EVP_MD_CTX_new());
    if (!context) fail("cannot sign");
    check(EVP_DigestSignInit(context.get(), nullptr, EVP_sha256(), nullptr, m_handle->key.get()),
          "cannot sign");
    std::vector<std::uint8_t> der(static_cast<std::size_t>(EVP_PKEY_get_size(m_handle->key.get())));
    std::size_t size = der.size();
    check(EVP_DigestSign(context.get(), der.data(), &size, bytesOf(message), message.size()), "cannot sign");
    der.resize(size);
    const std::optional<RawSignature> raw = rawSignature(der);
    if (!raw) throw Failure("the system made a signature that is not strict DER");
    return *raw;
}

}  // namespace setup::p256
