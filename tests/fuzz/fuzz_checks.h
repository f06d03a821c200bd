#pragma once

#include <optional>
#include <string>
#include <string_view>

// The properties each fuzz target checks over arbitrary bytes. The libFuzzer entry points and the replay
// of the kept inputs under the ordinary tests call the same functions, so an input that once broke a
// property keeps checking exactly that property.
namespace setup::fuzz {

/// Reads `bytes` as an update list entry by entry to the end: every call returns or throws Failure, the
/// reader always advances, each entry is a piece of the decoded list taken in order, and after a Failure
/// the reader stands at the end. Answers what broke, or nullopt.
std::optional<std::string> checkEntryReader(std::string_view bytes);

/// Splits `bytes` into a section, key and value (the first three bytes give their lengths) and a profile
/// file (the rest), reads the key, then writes the value: a refused write is refused whatever the file
/// holds; an accepted one reads back, keeps every byte of the other lines and every other key, and is the
/// same file when written again. Answers what broke, or nullopt.
std::optional<std::string> checkProfileFormat(std::string_view bytes);

/// Reads `bytes` (Windows-1252) as a version entry: the section suffix is split off as documented, and
/// the numeric value of the whole text and of each bound is finite or a Failure. Answers what broke, or
/// nullopt.
std::optional<std::string> checkVersionNumbers(std::string_view bytes);

/// Reads `bytes` as a seal: it never throws, a malformed seal keeps no line, the lines are numbered from
/// 1, and what was read, written again, reads back to the same names and digests. Answers what broke, or
/// nullopt.
std::optional<std::string> checkSealFormat(std::string_view bytes);

/// Reads `bytes` as a signed statement and as a trust file: neither throws, and a text that reads is the
/// very text its record writes again. Answers what broke, or nullopt.
std::optional<std::string> checkSignedTexts(std::string_view bytes);

}  // namespace setup::fuzz
