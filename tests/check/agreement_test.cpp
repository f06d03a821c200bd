// The checker and the program read every test list alike: the program runs on each list with its
// directives, copies and deletions recorded instead of made, and what its passes act on must be what
// the checker says each pass does.
#include <gtest/gtest.h>

#include <string>

#include "check/dry_run.h"
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

class CheckerAndProgramOnAnInstallation : public ::testing::TestWithParam<InstallationCase> {};

TEST_P(CheckerAndProgramOnAnInstallation, AgreeWhetherTheUpdateApplies) {
    const InstallationCase& row = GetParam();
    UpdateRun program;
    layOut(program.updateFolder, row.folder);
    program.registerProduct("2.0");
    if (row.prepare && !row.prepare(program)) GTEST_SKIP() << "this system cannot lay the installation out";
    const InstallationState before = program.snapshot();

    const check::ListAnalysis analysis = check::analyseList(fromUtf8(program.updateFolder.string()));
    const check::DryRun dryRun =
        check::dryRun(analysis, fromUtf8((program.windowsFolder / "Tamreg.reg").string()));
    const int checkerStatus = check::exitStatus(analysis, dryRun, false);
    // The checker only reads, journals included.
    EXPECT_EQ(program.snapshot(), before);

    const int programStatus = program.run();
    EXPECT_EQ(checkerStatus, row.checkerStatus);
    EXPECT_EQ(checkerStatus == 0, programStatus == 0) << "the program ended with " << programStatus;
}

INSTANTIATE_TEST_SUITE_P(Checker, CheckerAndProgramOnAnInstallation, ::testing::ValuesIn(installationCases()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace setup::test
