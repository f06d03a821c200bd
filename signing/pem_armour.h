#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace setup {

/// One PEM block: the word between "BEGIN " and the dashes, and the bytes it carries.
struct PemBlock {
    std::string label;
    std::vector<std::uint8_t> der;
};

/// `der` as a PEM block labelled `label`, in lines of 64 characters, ending with a line end.
std::string pemArmour(std::string_view label, std::span<const std::uint8_t> der);

/// The single PEM block that `text` holds. Whitespace around the block is allowed; anything else around
/// it, headers inside it, a label that differs at its end or text of more than a few kilobytes throw Failure.
PemBlock readPemBlock(std::string_view text);

}  // namespace setup
