#include "signature/signature_check.h"

#include <exception>
#include <map>
#include <set>

#include "platform/file_digest.h"
#include "platform/file_services.h"
#include "platform/path_mapping.h"
#include "seal/seal_format.h"
#include "signing/signing_keys.h"
#include "versions/version_numbers.h"

namespace setup {

namespace {

using Kind = SignatureProblemKind;

SignatureProblem problem(Kind kind, std::wstring_view name) { return {kind, std::wstring(name), {}, {}}; }

std::wstring inFolder(const std::wstring& folder, std::wstring_view name) {
    return folder + L"\\" + std::wstring(name);
}

/// The file's content, nullopt when it is absent; throws Failure when it cannot be read or is too large.
std::optional<std::string> readUpdateFile(FileServices& files, const std::wstring& path) {
    return files.readFile(path, kStatementLimit);
}

std::vector<std::uint8_t> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }

/// The first version of the statement below the highest one the trust holds for its section. A version
/// that cannot be read as a number is taken as below, so that no update ever passes on a doubt.
std::optional<SignatureProblem> olderVersion(const SignedStatement& statement, const TrustRecord& trust) {
    for (const SignedVersion& version : statement.versions) {
        const std::optional<std::wstring> highest = highestVersion(trust, version.section);
        if (!highest) continue;
        bool older = true;
        try {
            older = numericValue(version.version) < numericValue(*highest);
        } catch (const std::exception&) {
        }
        if (older)
            return SignatureProblem{Kind::OlderThanInstalled, version.section, version.version, *highest};
    }
    return std::nullopt;
}

/// The first of the update's files (the list, the seal, a copied file) that is not what the statement names.
std::optional<SignatureProblem> contentProblem(FileServices& files, const SignatureInput& input,
                                               const SignedStatement& statement) {
    const std::optional<std::string> list = readUpdateFile(files, input.listPath);
    if (!list || sha256Of(list->data(), list->size()) != statement.listDigest ||
        statement.versions != input.versions)
        return problem(Kind::ContentDiffers, L"setup.lst");
    std::vector<std::wstring> copied;
    std::set<std::wstring> keys;
    for (const std::wstring& name : input.copiedNames) {
        if (keys.insert(sealNameKey(name)).second) copied.push_back(sealNameKey(name));
    }
    std::map<std::wstring, const SignedFile*> signedFiles;
    for (const SignedFile& file : statement.files) signedFiles.emplace(sealNameKey(file.name), &file);
    if (signedFiles.size() != statement.files.size() || copied.size() != statement.files.size())
        return problem(Kind::ContentDiffers, L"setup.lst");
    for (std::size_t i = 0; i < copied.size(); ++i) {
        if (copied[i] != sealNameKey(statement.files[i].name))
            return problem(Kind::ContentDiffers, statement.files[i].name);
    }
    const std::optional<std::string> sealBytes =
        readUpdateFile(files, inFolder(input.updateFolder, kSealFileName));
    if (!sealBytes) return problem(Kind::ContentDiffers, kSealFileName);
    const ParsedSeal seal = parseSeal(*sealBytes);
    if (seal.malformedLine != 0 || seal.lines.size() != statement.files.size())
        return problem(Kind::ContentDiffers, kSealFileName);
    for (const SealLine& line : seal.lines) {
        const auto file = signedFiles.find(sealNameKey(line.name));
        // Every digit of the digest counts: a seal line one digit off names another file.
        if (file == signedFiles.end() || file->second->digest != line.digest)
            return problem(Kind::ContentDiffers, line.name);
    }
    return std::nullopt;
}

}  // namespace

SignatureVerdict checkSignature(FileServices& files, const SignatureInput& input) {
    SignatureVerdict verdict;
    std::optional<std::string> statementText;
    std::optional<std::string> signature;
    try {
        statementText = readUpdateFile(files, inFolder(input.updateFolder, kStatementFileName));
        signature = readUpdateFile(files, inFolder(input.updateFolder, kSignatureFileName));
    } catch (const std::exception&) {
        verdict.problem = problem(Kind::Invalid, kSignatureFileName);
        return verdict;
    }
    if (!statementText && !signature) {
        if (input.trust) verdict.problem = problem(Kind::Missing, kSignatureFileName);
        return verdict;
    }
    if (!statementText || !signature) {
        verdict.problem = problem(Kind::Invalid, statementText ? kSignatureFileName : kStatementFileName);
        return verdict;
    }
    std::optional<SignedStatement> statement = parseStatement(*statementText);
    bool verified = false;
    try {
        verified = statement && verifySignature(publicKeyPem(statement->signerKey), bytesOf(*statementText),
                                                bytesOf(*signature));
    } catch (const std::exception&) {
        // The key the statement names is no P-256 key: nothing it signed verifies.
    }
    if (!verified) {
        verdict.problem = problem(Kind::Invalid, statement ? kSignatureFileName : kStatementFileName);
        return verdict;
    }
    if (input.trust && statement->signerKey != input.trust->key) {
        verdict.problem = problem(Kind::KeyNotTrusted, kSignatureFileName);
        return verdict;
    }
    try {
        verdict.problem = contentProblem(files, input, *statement);
    } catch (const std::exception&) {
        verdict.problem = problem(Kind::ContentDiffers, kSealFileName);
    }
    if (!verdict.problem && input.trust) verdict.problem = olderVersion(*statement, *input.trust);
    if (!verdict.problem) verdict.statement = std::move(statement);
    return verdict;
}

}  // namespace setup
