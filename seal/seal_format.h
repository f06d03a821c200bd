#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_digest.h"
#include "platform/program_files.h"

namespace setup {

/// One line of a seal: the digest its author recorded for a file of the update.
struct SealLine {
    Sha256Digest digest{};
    std::wstring name;     ///< as the list gives it, relative to the update folder
    std::size_t line = 0;  ///< its line in the seal, from 1
};

/// A seal as read: its lines, or the first line that is not well formed.
struct ParsedSeal {
    std::vector<SealLine> lines;
    std::size_t malformedLine = 0;  ///< 0 when every line is well formed
};

/// The digest in lowercase hexadecimal, 64 characters.
std::string toHex(const Sha256Digest& digest);

/// One seal line as sha256sum writes and reads it: the digest, two spaces, the name in UTF-8, LF.
std::string formatSealLine(const Sha256Digest& digest, std::wstring_view name);

/// Reads a seal: lines of 64 hexadecimal digits, a space, a space or the "*" binary marker, and a name in
/// UTF-8; LF or CR LF ends; a leading UTF-8 byte order mark is passed over. Anything else (a blank line,
/// a short digest, a name that is not UTF-8, the same file named twice) is a malformed line.
ParsedSeal parseSeal(std::string_view bytes);

/// The key under which a name is compared with another: "\" and "/" alike, "." components dropped,
/// letter case folded, so that two spellings the program copies to one file are one file.
std::wstring sealNameKey(std::wstring_view name);

}  // namespace setup
