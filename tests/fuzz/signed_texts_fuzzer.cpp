// The statement setup.signed and the trust file .setup-trust: whatever their bytes, they read or are
// refused, never throwing, and a text that reads is exactly the text its record writes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "tests/fuzz/fuzz_checks.h"
#include "tests/fuzz/fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return setup::fuzz::stopOnProblem(
        setup::fuzz::checkSignedTexts(std::string_view(reinterpret_cast<const char*>(data), size)));
}
