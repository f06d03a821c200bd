#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace setup {

/// `bytes` in the standard base64 alphabet, padded with '=', on one line.
std::string base64Encode(std::span<const std::uint8_t> bytes);

/// The bytes of the padded base64 text `text`, which holds no whitespace. Throws Failure on any character
/// outside the alphabet, a wrong length, misplaced padding or unused bits that are not zero.
std::vector<std::uint8_t> base64Decode(std::string_view text);

}  // namespace setup
