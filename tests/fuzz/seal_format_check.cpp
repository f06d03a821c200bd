#include <exception>
#include <string>

#include "seal/seal_format.h"
#include "tests/fuzz/fuzz_checks.h"

namespace setup::fuzz {

std::optional<std::string> checkSealFormat(std::string_view bytes) {
    try {
        const ParsedSeal seal = parseSeal(bytes);
        if (seal.malformedLine != 0 && !seal.lines.empty()) return "a malformed seal keeps lines";
        std::string written;
        for (std::size_t i = 0; i < seal.lines.size(); ++i) {
            if (seal.lines[i].line != i + 1)
                return "line " + std::to_string(i + 1) + " is numbered otherwise";
            written += formatSealLine(seal.lines[i].digest, seal.lines[i].name);
        }
        const ParsedSeal again = parseSeal(written);
        if (again.malformedLine != 0 || again.lines.size() != seal.lines.size())
            return "a seal written from what was read does not read back";
        for (std::size_t i = 0; i < seal.lines.size(); ++i) {
            if (again.lines[i].name != seal.lines[i].name || again.lines[i].digest != seal.lines[i].digest)
                return "line " + std::to_string(i + 1) + " reads back otherwise";
        }
    } catch (const std::exception& error) {
        return std::string("reading a seal throws: ") + error.what();
    }
    return std::nullopt;
}

}  // namespace setup::fuzz
