#pragma once

#include <functional>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "check/findings.h"
#include "tests/check/check_fixture.h"
#include "tests/support/update_run.h"

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

/// An update tried on an installation laid out for it, on which the checker's dry run and a real run of
/// the program must agree.
struct InstallationCase {
    const char* name;
    UpdateFolderLayout folder;
    /// Lays out what the installation (or the update folder) holds beyond the usual; false when this
    /// system cannot (no symbolic links, no tab in a name).
    std::function<bool(const UpdateRun& run)> prepare;
    /// 0: setup would apply the update; 1: the list has an error every installation refuses; 2: this
    /// installation would refuse it, or the update would fail on it.
    int checkerStatus;
};

inline void PrintTo(const InstallationCase& row, std::ostream* out) { *out << row.name; }

/// Installations the program's plan or its start-up refuses, and ones it goes ahead on.
std::vector<InstallationCase> installationCases();

}  // namespace setup::test
