// The sample update that the demo and the end-to-end runs use: the checker finds nothing wrong, says it
// would apply to the sample's installation, and reads it as the program does.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "check/dry_run.h"
#include "check/list_analysis.h"
#include "platform/text_codec.h"
#include "tests/check/check_fixture.h"

namespace setup::test {
namespace {

TEST(SampleUpdate, IsCleanWouldApplyAndIsReadAsTheProgramReadsIt) {
    TempDir root;
    writeFile(root / "program", "program");
    const std::string command = "'" SETUP_SOURCE_DIR "/scripts/make-sample-update' '" +
                                (root / "sample").string() + "' '" + (root / "program").string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);

    const check::ListAnalysis analysis = check::analyseList(fromUtf8((root / "sample" / "update").string()));
    EXPECT_TRUE(analysis.findings.empty());
    const check::DryRun run =
        check::dryRun(analysis, fromUtf8((root / "sample" / "windows" / "Tamreg.reg").string()));
    EXPECT_TRUE(run.wouldApply());
    EXPECT_EQ(check::exitStatus(analysis, run, true), 0);

    const ProgramRun program = runProgram(root / "sample" / "update", root / "scratch");
    EXPECT_EQ(program.exitStatus, 0);
    EXPECT_EQ(program.acted, checkerActs(analysis));
}

}  // namespace
}  // namespace setup::test
