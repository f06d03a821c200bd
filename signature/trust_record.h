#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "signature/signed_statement.h"

namespace setup {

/// The most bytes an installation's trust file may hold.
inline constexpr std::size_t kTrustLimit = std::size_t{1} << 20;

/// What an installation trusts: the key its updates must be signed by, and for each section of the
/// product registry the highest version a signed update recorded.
struct TrustRecord {
    std::vector<std::uint8_t> key;  ///< SubjectPublicKeyInfo DER
    std::vector<SignedVersion> highest;
    bool operator==(const TrustRecord&) const = default;
};

/// The trust file as UTF-8 lines ending with a line feed: a heading, "key\t<base64>",
/// "version\t<section>\t<version>" lines and "end".
std::string formatTrust(const TrustRecord& trust);

/// The record `text` holds; nullopt for any text formatTrust would not write.
std::optional<TrustRecord> parseTrust(std::string_view text);

/// The highest version `trust` holds for `section` (letter case aside, as the registry's sections), if any.
std::optional<std::wstring> highestVersion(const TrustRecord& trust, const std::wstring& section);

/// The record once the update `statement` vouches for is in place: the next key it names, or the key
/// that signed it, and for each section the version it records, which is the highest once the update
/// was allowed.
TrustRecord trustAfter(const std::optional<TrustRecord>& trust, const SignedStatement& statement);

}  // namespace setup
