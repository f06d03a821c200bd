#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_digest.h"

namespace setup {

/// The most bytes a statement or a signature may hold: a list of 32,767 copied files with long names
/// makes a statement of about 12 MB, so a larger one was written by no author.
inline constexpr std::size_t kStatementLimit = std::size_t{16} << 20;

/// A file the update copies, as the statement names it.
struct SignedFile {
    std::wstring name;  ///< as the list gives it, relative to the update folder
    std::uint64_t size = 0;
    Sha256Digest digest{};
    bool operator==(const SignedFile&) const = default;
};

/// A version the update records for a section of the product registry.
struct SignedVersion {
    std::wstring section;
    std::wstring version;  ///< as the list writes it
    bool operator==(const SignedVersion&) const = default;
};

/// Everything a signature vouches for: the key that made it, the list, the versions the list records,
/// every copied file, and the key that signs the updates after this one, when the author changes keys.
struct SignedStatement {
    std::vector<std::uint8_t> signerKey;  ///< SubjectPublicKeyInfo DER
    Sha256Digest listDigest{};
    std::vector<SignedVersion> versions;
    std::vector<SignedFile> files;
    std::optional<std::vector<std::uint8_t>> nextKey;  ///< SubjectPublicKeyInfo DER
    bool operator==(const SignedStatement&) const = default;
};

/// The statement as UTF-8 lines ending with a line feed: a heading, "key\t<base64>", "list\t<hex>",
/// then "version\t<section>\t<version>" and "file\t<hex>\t<size>\t<name>" lines, an optional
/// "next-key\t<base64>", and "end".
std::string formatStatement(const SignedStatement& statement);

/// The statement `text` holds; nullopt for any text formatStatement would not write.
std::optional<SignedStatement> parseStatement(std::string_view text);

/// The public key `der` (SubjectPublicKeyInfo) as a "PUBLIC KEY" PEM.
std::string publicKeyPem(const std::vector<std::uint8_t>& der);

/// The SubjectPublicKeyInfo DER of a "PUBLIC KEY" PEM. Throws Failure when it is not a P-256 public key.
std::vector<std::uint8_t> publicKeyDer(const std::string& pem);

}  // namespace setup
