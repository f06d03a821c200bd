// The update list reader over arbitrary bytes: the whole input is the list.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "tests/fuzz/fuzz_checks.h"
#include "tests/fuzz/fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return setup::fuzz::stopOnProblem(
        setup::fuzz::checkEntryReader(std::string_view(reinterpret_cast<const char*>(data), size)));
}
