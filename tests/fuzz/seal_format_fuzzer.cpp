// The seal setup.sum: whatever its bytes, it reads as lines or as one malformed line, never throwing, and
// what it reads writes back to the same lines.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "tests/fuzz/fuzz_checks.h"
#include "tests/fuzz/fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return setup::fuzz::stopOnProblem(
        setup::fuzz::checkSealFormat(std::string_view(reinterpret_cast<const char*>(data), size)));
}
