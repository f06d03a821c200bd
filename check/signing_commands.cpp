#include "check/signing_commands.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/failure.h"
#include "platform/file_digest.h"
#include "platform/file_io.h"
#include "platform/path_mapping.h"
#include "platform/path_text.h"
#include "platform/text_codec.h"
#include "seal/seal_format.h"
#include "signature/signed_statement.h"
#include "signature/trust_record.h"
#include "signing/signing_keys.h"
#include "staging/update_plan.h"

namespace setup::check {

namespace {

std::wstring inFolder(const std::wstring& folder, std::wstring_view name) {
    return folder + L"\\" + std::wstring(name);
}

std::wstring shown(const std::wstring& path) { return programPath(mapPath(path)); }

/// The statement of the update as it was just sealed: the seal's lines give the files and their digests.
SignedStatement statementOf(const ListAnalysis& analysis, const std::vector<std::uint8_t>& signerKey) {
    SignedStatement statement;
    statement.signerKey = signerKey;
    const std::string list = readWholeFile(mapPath(analysis.listPath));
    statement.listDigest = sha256Of(list.data(), list.size());
    for (const EntryPlan& plan : analysis.entries) {
        for (const StampWrite& stamp : plan.stamps)
            statement.versions.push_back({stamp.section, stamp.version});
    }
    const ParsedSeal seal = parseSeal(readWholeFile(mapPath(inFolder(analysis.updateFolder, kSealFileName))));
    for (const SealLine& line : seal.lines) {
        std::error_code error;
        const std::uintmax_t size =
            std::filesystem::file_size(mapPath(inFolder(analysis.updateFolder, line.name)), error);
        if (error) throw Failure("impossible de lire la taille de " + toUtf8(line.name));
        statement.files.push_back({line.name, size, line.digest});
    }
    return statement;
}

}  // namespace

SealOutcome writeNewKey(const std::wstring& name) {
    const std::wstring privatePath = name + L".key";
    const std::wstring publicPath = name + L".pub";
    if (existsNoFollow(mapPath(privatePath)) || existsNoFollow(mapPath(publicPath))) {
        return {L"Cl\u00E9 non \u00E9crite : " + shown(privatePath) + L" ou " + shown(publicPath) +
                    L" existe d\u00E9j\u00E0. Veuillez choisir un autre nom ; une cl\u00E9 existante n'est "
                    L"jamais remplac\u00E9e.\n",
                1};
    }
    const SigningKeyPair pair = generateSigningKey();
    writeNewPrivateFile(mapPath(privatePath), pair.privateKeyPem);
    replaceFileAtomically(mapPath(publicPath), pair.publicKeyPem);
    return {L"Cl\u00E9 priv\u00E9e \u00E9crite : " + shown(privatePath) +
                L" (\u00E0 garder secr\u00E8te)\nCl\u00E9 publique \u00E9crite : " + shown(publicPath) +
                L"\nEmpreinte : " + fromUtf8(publicKeyFingerprint(pair.publicKeyPem)) + L"\n",
            0};
}

SealOutcome signUpdate(const ListAnalysis& analysis, const std::wstring& keyFile,
                       const std::optional<std::wstring>& nextKeyFile, bool strict) {
    // Both keys are read before anything is written, so a wrong key file leaves the update as it was.
    const std::string privateKey = readWholeFile(mapPath(keyFile));
    const std::vector<std::uint8_t> signerKey = publicKeyDer(publicKeyOf(privateKey));
    std::optional<std::vector<std::uint8_t>> nextKey;
    if (nextKeyFile) nextKey = publicKeyDer(readWholeFile(mapPath(*nextKeyFile)));
    SealOutcome outcome = sealUpdate(analysis, strict);
    if (outcome.status != 0) return outcome;
    SignedStatement statement = statementOf(analysis, signerKey);
    statement.nextKey = nextKey;
    const std::string text = formatStatement(statement);
    const std::vector<std::uint8_t> signature =
        signMessage(privateKey, std::vector<std::uint8_t>(text.begin(), text.end()));
    const std::wstring statementPath = inFolder(analysis.updateFolder, kStatementFileName);
    const std::wstring signaturePath = inFolder(analysis.updateFolder, kSignatureFileName);
    replaceFileAtomically(mapPath(statementPath), text);
    replaceFileAtomically(mapPath(signaturePath), std::string(signature.begin(), signature.end()));
    outcome.report += L"Signature \u00E9crite : " + shown(signaturePath) + L" (de " + shown(statementPath) +
                      L")\nCl\u00E9 : " + fromUtf8(publicKeyFingerprint(publicKeyPem(signerKey))) + L"\n";
    if (nextKey)
        outcome.report += L"Cl\u00E9 suivante annonc\u00E9e : " +
                          fromUtf8(publicKeyFingerprint(publicKeyPem(*nextKey))) + L"\n";
    return outcome;
}

SealOutcome trustKey(const std::wstring& publicKeyFile, const std::wstring& installDir) {
    std::error_code error;
    // A mistyped folder gets no trust file of its own: only an installation is provisioned.
    if (!std::filesystem::is_directory(mapPath(installDir), error))
        return {
            L"Confiance non \u00E9crite : " + shown(installDir) + L" n'est pas un dossier d'installation.\n",
            1};
    TrustRecord trust;
    trust.key = publicKeyDer(readWholeFile(mapPath(publicKeyFile)));
    const std::wstring path = joinPath(installDir, kTrustName);
    if (const std::optional<std::string> earlier = readFileIfPresent(mapPath(path))) {
        // The versions seen stay: a new key never lets an older update back in.
        if (const std::optional<TrustRecord> record = parseTrust(*earlier)) trust.highest = record->highest;
    }
    replaceFileAtomically(mapPath(path), formatTrust(trust));
    return {L"Confiance \u00E9crite : " + shown(path) + L"\nCl\u00E9 : " +
                fromUtf8(publicKeyFingerprint(publicKeyPem(trust.key))) + L"\n",
            0};
}

}  // namespace setup::check
