// Signed updates, one row per way an update can be changed or replayed: the checker, tried on the
// installation, and a whole run of the program on the same folders must each refuse it as the row says,
// the program before anything in the installation changes, and leave the trust file the row names.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "check/dry_run.h"
#include "check/list_analysis.h"
#include "check/seal_command.h"
#include "check/signature_findings.h"
#include "check/signing_commands.h"
#include "platform/path_mapping.h"
#include "platform/text_codec.h"
#include "signature/trust_record.h"
#include "signing/signing_keys.h"
#include "tests/support/update_run.h"

namespace setup::test {
namespace {

namespace fs = std::filesystem;
using check::Rule;

const std::string kList = ";Mise \xE0 jour\r\nkelvane.exe\r\naide.txt\r\n#3.1\r\n";
const std::wstring kMismatch =
    L"La signature de cette mise \u00E0 jour ne correspond pas \u00E0 son contenu : la mise \u00E0 jour a "
    L"\u00E9t\u00E9 modifi\u00E9e apr\u00E8s sa signature et n'a pas \u00E9t\u00E9 install\u00E9e. Veuillez "
    L"vous la procurer \u00E0 nouveau aupr\u00E8s de l'\u00E9diteur.";
const std::wstring kUnknownKey =
    L"Cette mise \u00E0 jour est sign\u00E9e par une cl\u00E9 que cette installation de Kelvane ne "
    L"conna\u00EEt pas ; elle n'a pas \u00E9t\u00E9 install\u00E9e.";

ShownMessage failed(const std::wstring& text) {
    return {text, L"Erreur: Mise \u00E0 jour non termin\u00E9e", 16};
}

/// The vendor's key and another one, made once for every row.
const SigningKeyPair& vendorKey() {
    static const SigningKeyPair key = generateSigningKey();
    return key;
}
const SigningKeyPair& otherKey() {
    static const SigningKeyPair key = generateSigningKey();
    return key;
}
TrustRecord trusting(const SigningKeyPair& key, std::vector<SignedVersion> highest = {}) {
    return {publicKeyDer(key.publicKeyPem), std::move(highest)};
}

/// An installed Kelvane 2.0 and an update of two files signed by the vendor's key.
struct SignedUpdate {
    SignedUpdate() {
        run.registerProduct("2.0");
        run.addInstalledFile("kelvane.exe", "old program");
        run.addUpdateFile("kelvane.exe", "new program");
        run.addUpdateFile("aide.txt", "aide");
        run.addUpdateFile("setup", "program");
        run.writeList(kList);
        writeFile(run.root / "vendor.key", vendorKey().privateKeyPem);
        writeFile(run.root / "other.key", otherKey().privateKeyPem);
        writeFile(run.root / "other.pub", otherKey().publicKeyPem);
        sign("vendor.key");
    }
    std::wstring folder() const { return programPath(run.updateFolder); }
    void sign(const char* key, std::optional<std::wstring> nextKey = std::nullopt) const {
        ASSERT_EQ(check::signUpdate(check::analyseList(folder()), programPath(run.root / key), nextKey, false)
                      .status,
                  0);
    }
    void reseal() const { ASSERT_EQ(check::sealUpdate(check::analyseList(folder()), false).status, 0); }
    void unsign() const {
        fs::remove(run.updateFolder / "setup.sig");
        fs::remove(run.updateFolder / "setup.signed");
    }
    void trust(const TrustRecord& record) const {
        writeFile(run.installation / ".setup-trust", formatTrust(record));
    }
    /// Replaces the last hexadecimal digit of the first seal line with another digit.
    void changeLastSealDigit() const {
        std::string seal = readFile(run.updateFolder / "setup.sum");
        seal[63] = seal[63] == '0' ? '1' : '0';
        writeFile(run.updateFolder / "setup.sum", seal);
    }

    UpdateRun run;
};

struct SignedCase {
    const char* name;
    std::function<void(SignedUpdate&)> change;
    std::vector<Rule> rules;  ///< the checker's findings
    int checkerStatus;
    int programStatus;
    std::optional<ShownMessage> refusal;    ///< the box the program ends with, if it refuses
    std::optional<TrustRecord> trustAfter;  ///< the trust file once the program has run, if one reads
};

void PrintTo(const SignedCase& row, std::ostream* out) { *out << row.name; }

class SignedUpdates : public ::testing::TestWithParam<SignedCase> {};

TEST_P(SignedUpdates, CheckerAndProgramRefuseAlikeBeforeAnythingChanges) {
    const SignedCase& row = GetParam();
    SignedUpdate update;
    row.change(update);
    UpdateRun& run = update.run;

    check::ListAnalysis analysis = check::analyseList(update.folder());
    const check::DryRun dryRun =
        check::dryRun(analysis, fromUtf8((run.windowsFolder / "Tamreg.reg").string()));
    check::checkSignatureTrust(analysis, dryRun.installDir);
    std::vector<std::string> rules, expected;
    for (const check::Finding& finding : analysis.findings) rules.emplace_back(check::ruleId(finding.rule));
    for (const Rule rule : row.rules) expected.emplace_back(check::ruleId(rule));
    EXPECT_EQ(rules, expected);
    EXPECT_EQ(check::exitStatus(analysis, dryRun, false), row.checkerStatus);

    const InstallationState before = run.snapshot();
    const std::vector<std::string> shipped = run.filesInUpdateFolder();
    EXPECT_EQ(run.run(), row.programStatus);
    const fs::path trustFile = run.installation / ".setup-trust";
    EXPECT_EQ(fs::exists(trustFile) ? parseTrust(readFile(trustFile)) : std::nullopt, row.trustAfter);
    if (!row.refusal) {
        EXPECT_EQ(readFile(run.installation / "kelvane.exe"), "new program");
        return;
    }
    ASSERT_FALSE(run.runtime.messages.empty());
    EXPECT_EQ(run.runtime.messages.back(), *row.refusal);
    EXPECT_EQ(run.snapshot(), before);
    EXPECT_EQ(run.filesInUpdateFolder(), shipped) << "kept to be fetched again or looked at";
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SignedUpdates,
    ::testing::Values(
        SignedCase{"IntactUpdateAppliesAndRecordsItsKey",
                   [](SignedUpdate&) {},
                   {},
                   0,
                   0,
                   std::nullopt,
                   trusting(vendorKey(), {{L"Kelvane", L"3.1"}})},
        SignedCase{"UnsignedUpdateWithoutTrustRunsAsBefore",
                   [](SignedUpdate& u) { u.unsign(); },
                   {},
                   0,
                   0,
                   std::nullopt,
                   std::nullopt},
        SignedCase{"FileChangedAndSealRegenerated",
                   [](SignedUpdate& u) {
                       u.run.addUpdateFile("aide.txt", "aidE");
                       u.reseal();
                   },
                   {Rule::SignatureInvalid},
                   1,
                   3,
                   failed(kMismatch),
                   std::nullopt},
        SignedCase{"ListChanged",
                   [](SignedUpdate& u) { u.run.writeList(kList + ";commentaire\r\n"); },
                   {Rule::SignatureInvalid},
                   1,
                   3,
                   failed(kMismatch),
                   std::nullopt},
        SignedCase{"FileAddedToTheListAndTheSeal",
                   [](SignedUpdate& u) {
                       u.run.addUpdateFile("ajout.dll", "added");
                       u.run.writeList(kList + "ajout.dll\r\n");
                       u.reseal();
                   },
                   {Rule::SignatureInvalid},
                   1,
                   3,
                   failed(kMismatch),
                   std::nullopt},
        SignedCase{"SealLineDiffersInItsLastHexDigitOnly",
                   [](SignedUpdate& u) { u.changeLastSealDigit(); },
                   {Rule::SealDigestDiffers, Rule::SignatureInvalid},
                   1,
                   3,
                   failed(kMismatch),
                   std::nullopt},
        SignedCase{
            "UnsignedSealLineDiffersInItsLastHexDigitOnly",
            [](SignedUpdate& u) {
                u.unsign();
                u.changeLastSealDigit();
            },
            {Rule::SealDigestDiffers},
            1,
            3,
            failed(L"Le fichier \u00AB kelvane.exe \u00BB de la mise \u00E0 jour est endommag\u00E9 ou "
                   L"incomplet. La mise \u00E0 jour n'a pas \u00E9t\u00E9 faite ; veuillez la "
                   L"t\u00E9l\u00E9charger \u00E0 nouveau."),
            std::nullopt},
        SignedCase{
            "UnsignedUpdateForAnInstallationThatTrustsAKey",
            [](SignedUpdate& u) {
                u.unsign();
                u.trust(trusting(vendorKey()));
            },
            {Rule::SignatureMissing},
            2,
            3,
            failed(L"Cette mise \u00E0 jour n'est pas sign\u00E9e par l'\u00E9diteur de Kelvane ; elle "
                   L"n'a pas \u00E9t\u00E9 install\u00E9e. Veuillez vous procurer la mise \u00E0 jour "
                   L"aupr\u00E8s de l'\u00E9diteur."),
            trusting(vendorKey())},
        SignedCase{"SignedByAnotherKey",
                   [](SignedUpdate& u) {
                       u.trust(trusting(vendorKey()));
                       u.sign("other.key");
                   },
                   {Rule::KeyNotTrusted},
                   2,
                   3,
                   failed(kUnknownKey),
                   trusting(vendorKey())},
        SignedCase{
            "OlderSignedUpdateReplayed",
            [](SignedUpdate& u) {
                u.trust(trusting(vendorKey(), {{L"Kelvane", L"3.5"}}));
            },
            {Rule::OlderThanInstalled},
            2,
            2,
            ShownMessage{L"Cette mise \u00E0 jour installerait la version 3.1 de Kelvane, plus ancienne "
                         L"que la version 3.5 d\u00E9j\u00E0 install\u00E9e ; elle n'a pas \u00E9t\u00E9 "
                         L"install\u00E9e.",
                         L"Mise \u00E0 jour refus\u00E9e", 16},
            trusting(vendorKey(), {{L"Kelvane", L"3.5"}})},
        SignedCase{"SameVersionAgainRepairs",
                   [](SignedUpdate& u) {
                       u.trust(trusting(vendorKey(), {{L"kelvane", L"3.1"}}));
                   },
                   {},
                   0,
                   0,
                   std::nullopt,
                   trusting(vendorKey(), {{L"kelvane", L"3.1"}})},
        SignedCase{"NextKeyTakesTheOldOnesPlace",
                   [](SignedUpdate& u) {
                       u.trust(trusting(vendorKey()));
                       u.sign("vendor.key", programPath(u.run.root / "other.pub"));
                   },
                   {},
                   0,
                   0,
                   std::nullopt,
                   trusting(otherKey(), {{L"Kelvane", L"3.1"}})},
        SignedCase{"OldKeyRefusedOnceRotated",
                   [](SignedUpdate& u) { u.trust(trusting(otherKey())); },
                   {Rule::KeyNotTrusted},
                   2,
                   3,
                   failed(kUnknownKey),
                   trusting(otherKey())},
        SignedCase{
            "DamagedTrustFile",
            [](SignedUpdate& u) { writeFile(u.run.installation / ".setup-trust", "Kelvane trust 1\nkey\n"); },
            {Rule::KeyNotTrusted},
            2,
            3,
            failed(L"Le fichier de confiance de cette installation de Kelvane (.setup-trust) est illisible "
                   L"ou endommag\u00E9 ; la mise \u00E0 jour n'a pas \u00E9t\u00E9 install\u00E9e et rien "
                   L"n'a \u00E9t\u00E9 modifi\u00E9. Veuillez le faire r\u00E9tablir par "
                   L"l'administrateur (setup-check --trust)."),
            std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace setup::test
