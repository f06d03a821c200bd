// The vector made by the openssl command line (data/make-vector.sh), checked on each system.
#include <gtest/gtest.h>

#include <string>

#include "platform/failure.h"
#include "signing/signing_keys.h"
#include "tests/signing/signing_test_files.h"

namespace setup::test {
namespace {

std::string withCrLf(const std::string& text) {
    std::string out;
    for (const char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return out;
}

TEST(CommittedVector, OpensslsSignatureVerifies) {
    const auto message = bytesOf(vectorFile("vector.msg"));
    ASSERT_EQ(message.size(), 19u);
    EXPECT_TRUE(verifySignature(vectorFile("vector.pub"), message, bytesOf(vectorFile("vector.sig"))));
}

TEST(CommittedVector, FingerprintIsTheDigestOfTheDer) {
    // vector.fingerprint: `openssl pkey -pubin -outform DER | sha256sum`.
    const std::string expected = vectorFile("vector.fingerprint");
    EXPECT_EQ(publicKeyFingerprint(vectorFile("vector.pub")) + "\n", expected);
    // A key file that passed through a Windows editor is the same key.
    EXPECT_EQ(publicKeyFingerprint(withCrLf(vectorFile("vector.pub"))) + "\n", expected);
}

struct KeyFileCase {
    const char* name;
    const char* file;
    bool wineLacks = false;  ///< a form Wine's bcrypt cannot read, though Windows does
};

void PrintTo(const KeyFileCase& row, std::ostream* out) { *out << row.name; }

class CommittedPrivateKey : public ::testing::TestWithParam<KeyFileCase> {};

TEST_P(CommittedPrivateKey, NamesAndSignsForThePublicKey) {
    const std::string privateKey = vectorFile(GetParam().file);
    if (GetParam().wineLacks && underWine()) {
        EXPECT_THROW(publicKeyOf(privateKey), Failure);
        return;
    }
    ASSERT_FALSE(privateKey.empty());
    EXPECT_EQ(publicKeyOf(privateKey), vectorFile("vector.pub"));
    const auto message = bytesOf(vectorFile("vector.msg"));
    EXPECT_TRUE(verifySignature(vectorFile("vector.pub"), message, signMessage(privateKey, message)));
}

INSTANTIATE_TEST_SUITE_P(Rows, CommittedPrivateKey,
                         ::testing::Values(KeyFileCase{"Pkcs8WithItsPublicKey", "vector.key"},
                                           KeyFileCase{"Pkcs8WithoutItsPublicKey", "vector-bare.key", true},
                                           KeyFileCase{"Sec1", "vector-sec1.key"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace setup::test
