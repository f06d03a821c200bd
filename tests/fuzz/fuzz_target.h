#pragma once

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

namespace setup::fuzz {

/// Ends the fuzzer's run with the broken property, so libFuzzer keeps the input as a crash file.
inline int stopOnProblem(const std::optional<std::string>& problem) {
    if (!problem) return 0;
    std::fprintf(stderr, "broken: %s\n", problem->c_str());
    std::abort();
}

}  // namespace setup::fuzz
