#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/failure.h"
#include "signing/pem_armour.h"
#include "signing/signing_keys.h"
#include "tests/signing/signing_test_files.h"

namespace setup::test {
namespace {

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

using Text = std::function<std::string()>;

Text file(const std::string& name) {
    return [=] { return vectorFile(name); };
}

/// The committed public key with each `from` replaced by `to`.
Text publicKeyWith(const std::string& from, const std::string& to) {
    return [=] { return replaced(vectorFile("vector.pub"), from, to); };
}

/// The committed key file `name` with its DER changed by `change` and armoured again.
Text derOf(const std::string& name, const std::function<void(Bytes&)>& change) {
    return [=] {
        PemBlock block = readPemBlock(vectorFile(name));
        change(block.der);
        return pemArmour(block.label, block.der);
    };
}

/// Puts `bytes` over the last bytes of `der`, where each key form keeps its secret or its point.
void overwriteEnd(Bytes& der, const Bytes& bytes) {
    std::copy(bytes.begin(), bytes.end(), der.end() - static_cast<std::ptrdiff_t>(bytes.size()));
}

enum class Role { Public, Private };

struct KeyTextCase {
    const char* name;
    Role role;
    Text text;
    bool wineTakes = false;  ///< a key that Wine's bcrypt takes as one that verifies nothing
};

void PrintTo(const KeyTextCase& row, std::ostream* out) { *out << row.name; }

class MalformedKeyText : public ::testing::TestWithParam<KeyTextCase> {};

TEST_P(MalformedKeyText, IsRefused) {
    const std::string text = GetParam().text();
    const Bytes message = bytesOf(vectorFile("vector.msg"));
    if (GetParam().wineTakes && underWine()) {
        EXPECT_FALSE(verifySignature(text, message, bytesOf(vectorFile("vector.sig"))));
        return;
    }
    if (GetParam().role == Role::Public) {
        EXPECT_THROW(verifySignature(text, message, bytesOf(vectorFile("vector.sig"))), Failure);
        EXPECT_THROW(publicKeyFingerprint(text), Failure);
    } else {
        EXPECT_THROW(signMessage(text, message), Failure);
        EXPECT_THROW(publicKeyOf(text), Failure);
    }
}

std::string pub() { return vectorFile("vector.pub"); }

const std::string kBegin = "BEGIN PUBLIC KEY-----\n";

INSTANTIATE_TEST_SUITE_P(
    Rows, MalformedKeyText,
    ::testing::Values(
        KeyTextCase{"Empty", Role::Public, [] { return std::string(); }},
        KeyTextCase{"NotPem", Role::Public, [] { return std::string("Kelvane"); }},
        KeyTextCase{"PrivateKeyText", Role::Public, file("vector.key")},
        KeyTextCase{"OtherLabel", Role::Public, publicKeyWith("PUBLIC KEY", "CERTIFICATE")},
        KeyTextCase{"EndOfAnotherLabel", Role::Public, publicKeyWith("END PUBLIC", "END PRIVATE")},
        KeyTextCase{"NoEndLine", Role::Public, [] { return pub().substr(0, pub().find("-----END")); }},
        KeyTextCase{"TextBeforeTheBlock", Role::Public, [] { return "Public key:\n" + pub(); }},
        KeyTextCase{"TextAfterTheBlock", Role::Public, [] { return pub() + "trailer\n"; }},
        KeyTextCase{"TwoBlocks", Role::Public, [] { return pub() + pub(); }},
        KeyTextCase{"HeaderLine", Role::Public, publicKeyWith(kBegin, kBegin + "Note: x\n")},
        KeyTextCase{"EmptyLineInside", Role::Public, publicKeyWith(kBegin, kBegin + "\n")},
        KeyTextCase{"OverlongLine", Role::Public, publicKeyWith("FQc\nx", "FQcx")},
        KeyTextCase{"SpaceInsideALine", Role::Public, publicKeyWith("MFkw", "MF kw")},
        KeyTextCase{"OutsideTheBase64Alphabet", Role::Public, publicKeyWith("+", "*")},
        KeyTextCase{"MissingPadding", Role::Public, publicKeyWith("==", "=")},
        KeyTextCase{"UnusedBitsSet", Role::Public, publicKeyWith("/g==", "/h==")},
        KeyTextCase{"HugeText", Role::Public, [] { return std::string(5000, '\n') + pub(); }},
        KeyTextCase{"CompressedPoint", Role::Public, file("vector-compressed.pub")},
        KeyTextCase{"OtherCurve", Role::Public, file("p384.pub")},
        KeyTextCase{"OtherAlgorithm", Role::Public, file("ed25519.pub")},
        KeyTextCase{"PointOffTheCurve", Role::Public, derOf("vector.pub", [](Bytes& d) { d.back() ^= 1; }), true},
        KeyTextCase{"PointOfZeros", Role::Public, derOf("vector.pub", [](Bytes& d) { overwriteEnd(d, Bytes(64, 0)); })},
        KeyTextCase{"BitStringWithUnusedBits", Role::Public, derOf("vector.pub", [](Bytes& d) { d[d.size() - 66] = 1; })},
        KeyTextCase{"DerByteAfterTheKey", Role::Public, derOf("vector.pub", [](Bytes& d) { d.push_back(0); })},
        KeyTextCase{"DerCutShort", Role::Public, derOf("vector.pub", [](Bytes& d) { d.pop_back(); })},
        KeyTextCase{"PublicKeyText", Role::Private, file("vector.pub")},
        KeyTextCase{"EncryptedKey", Role::Private, file("vector-encrypted.key")},
        KeyTextCase{"OtherCurvesKey", Role::Private, file("p384.key")},
        KeyTextCase{"UnknownVersion", Role::Private, derOf("vector-bare.key", [](Bytes& d) { d[4] = 1; })},
        KeyTextCase{"SecretZero", Role::Private, derOf("vector-bare.key", [](Bytes& d) { overwriteEnd(d, Bytes(32, 0)); })},
        KeyTextCase{"SecretIsTheGroupOrder", Role::Private,
                    derOf("vector-bare.key", [](Bytes& d) { overwriteEnd(d, kGroupOrder); })},
        KeyTextCase{"PublicPointOfAnotherKey", Role::Private,
                    [] {
                        const PemBlock other = readPemBlock(generateSigningKey().publicKeyPem);
                        return derOf("vector.key", [&](Bytes& d) {
                            overwriteEnd(d, Bytes(other.der.end() - 64, other.der.end()));
                        })();
                    }},
        // The curve's [0] element (12 bytes) follows the version and the 32-byte secret.
        KeyTextCase{"Sec1WithoutItsCurve", Role::Private, derOf("vector-sec1.key", [](Bytes& d) {
                        d.erase(d.begin() + 39, d.begin() + 51);
                        d[1] -= 12;
                    })},
        KeyTextCase{"DerByteAfterThePrivateKey", Role::Private, derOf("vector.key", [](Bytes& d) { d.push_back(0); })}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace setup::test
