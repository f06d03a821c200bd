// The profile layer: a read and a write over an arbitrary file, names and value. The input's first three
// bytes are the lengths of the section, the key and the value, which follow in that order; the rest is
// the file (splitInput in profile_format_check.cpp).
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "tests/fuzz/fuzz_checks.h"
#include "tests/fuzz/fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return setup::fuzz::stopOnProblem(
        setup::fuzz::checkProfileFormat(std::string_view(reinterpret_cast<const char*>(data), size)));
}
