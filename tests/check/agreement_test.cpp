// The checker and the program read every test list alike: the program runs on each list with its
// directives, copies and deletions recorded instead of made, and what its passes act on must be what
// the checker says each pass does.
#include <gtest/gtest.h>

#include <string>

#include "check/list_analysis.h"
#include "platform/text_codec.h"
#include "tests/check/check_fixture.h"
#include "tests/check/rule_cases.h"

namespace setup::test {
namespace {

class CheckerAndProgram : public ::testing::TestWithParam<RuleCase> {};

TEST_P(CheckerAndProgram, ActOnTheSameEntries) {
    const RuleCase& row = GetParam();
    TempDir root;
    layOut(root / "update", row.folder);
    const check::ListAnalysis analysis = check::analyseList(fromUtf8((root / "update").string()));
    const ProgramRun run = runProgram(root / "update", root / "scratch");
    if (run.exitStatus == 0) {
        EXPECT_EQ(run.acted, checkerActs(analysis));
    } else {
        // The program stops halfway only on lists the checker rejects.
        EXPECT_EQ(run.exitStatus, 3);
        EXPECT_TRUE(analysis.has(check::Severity::Error));
    }
}

std::vector<RuleCase> runnableCases() {
    std::vector<RuleCase> rows;
    for (const RuleCase& row : ruleCases()) {
        if (!row.large) rows.push_back(row);
    }
    return rows;
}

INSTANTIATE_TEST_SUITE_P(Checker, CheckerAndProgram, ::testing::ValuesIn(runnableCases()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace setup::test
