#pragma once

// The line form shared by the signed statement and the installation's trust file: UTF-8 lines ending with
// a line feed, fields separated by tabs.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_digest.h"

namespace setup {

/// The lines of `text`, each split at its tabs; nullopt when the text does not end with a line feed.
std::optional<std::vector<std::vector<std::string_view>>> splitStatementLines(std::string_view text);

/// Reads 64 lowercase hexadecimal digits into `digest`; false for anything else.
bool hexDigest(std::string_view field, Sha256Digest& digest);
/// Reads a decimal number without sign or leading zero into `value`; false for anything else.
bool decimal(std::string_view field, std::uint64_t& value);
/// Reads UTF-8 text without control characters into `text`; false for anything else.
bool wideField(std::string_view field, std::wstring& text);
/// Reads padded base64 into `bytes`; false for anything else or nothing.
bool base64Field(std::string_view field, std::vector<std::uint8_t>& bytes);

}  // namespace setup
