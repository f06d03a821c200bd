#pragma once

#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "check/findings.h"
#include "tests/check/check_fixture.h"

namespace setup::test {

/// A small update folder and the findings the checker must make on it (rule, line).
struct RuleCase {
    const char* name;
    UpdateFolderLayout folder;
    std::vector<std::pair<check::Rule, std::size_t>> findings;
    std::set<check::Rule> ignored = {};
    /// Large enough that running the whole program on it belongs to no unit test.
    bool large = false;
};

/// Rows are named by their name in test output.
inline void PrintTo(const RuleCase& row, std::ostream* out) { *out << row.name; }

/// One row per rule of the checker, and lists on which it must find nothing.
std::vector<RuleCase> ruleCases();

}  // namespace setup::test
