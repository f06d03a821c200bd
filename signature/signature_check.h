#pragma once

#include <optional>
#include <string>
#include <vector>

#include "signature/signed_statement.h"
#include "signature/trust_record.h"

namespace setup {

class FileServices;

/// What is wrong with an update's signature, for an installation.
enum class SignatureProblemKind {
    Missing,             ///< the installation trusts a key and the update is not signed
    Invalid,             ///< the signature or its statement is damaged, or does not verify
    ContentDiffers,      ///< the list, the seal or a copied file is not the one the statement names
    KeyNotTrusted,       ///< the signature verifies, by a key the installation does not trust
    OlderThanInstalled,  ///< a version the update records is below the one the installation has seen
};

/// One problem, with what it concerns.
struct SignatureProblem {
    SignatureProblemKind kind = SignatureProblemKind::Invalid;
    std::wstring name;       ///< the update's file concerned (setup.sig, setup.lst, a copied file...)
    std::wstring version;    ///< OlderThanInstalled: the version the update records, as written
    std::wstring installed;  ///< OlderThanInstalled: the highest version seen, as written
    bool operator==(const SignatureProblem&) const = default;
};

/// What is checked: the update folder, what its list copies and records, and the installation's trust.
struct SignatureInput {
    std::wstring updateFolder;
    std::wstring listPath;                  ///< the list as the program opens it
    std::vector<std::wstring> copiedNames;  ///< as the copy uses them, in the list's order
    std::vector<SignedVersion> versions;    ///< the versions the stamp pass records, in order
    std::optional<TrustRecord> trust;       ///< nullopt: the installation trusts no key yet
};

/// The signature's verdict: the statement once its signature verifies, and the first problem.
struct SignatureVerdict {
    std::optional<SignedStatement> statement;
    std::optional<SignatureProblem> problem;
};

/// Checks the update's signature, when it has one, against its own list and seal and against the trust:
/// that it verifies by the key it names, that the key is the trusted one, that the list, the versions,
/// the copied files and every seal line are the ones it names, and that no version goes below the
/// highest one seen. The files' bytes are left to the seal, which a signed update must have: the
/// signature vouches for the seal's digests. Reads the update folder through `files`; changes nothing.
SignatureVerdict checkSignature(FileServices& files, const SignatureInput& input);

}  // namespace setup
