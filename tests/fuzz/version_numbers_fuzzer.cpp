// Version entries: the section suffix and the numeric value of each bound. The whole input is one entry
// in Windows-1252, as the list reader hands it over.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "tests/fuzz/fuzz_checks.h"
#include "tests/fuzz/fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return setup::fuzz::stopOnProblem(
        setup::fuzz::checkVersionNumbers(std::string_view(reinterpret_cast<const char*>(data), size)));
}
