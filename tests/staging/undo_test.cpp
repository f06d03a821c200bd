// A run that stops before its update is final (a cancel, a file that cannot be copied or put in place, a
// version that cannot be stamped) puts back the installation and the registry and leaves nothing behind.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "staging/staged_update.h"
#include "tests/staging/sample_update.h"

namespace setup::test {
namespace {

class UndoAfterStaging : public ::testing::TestWithParam<std::size_t> {};

TEST_P(UndoAfterStaging, LeavesNothingBehind) {
    MemoryFiles files(kSampleOldTree, kSampleOldValues);
    const MemoryTree before = files.tree();
    StagedUpdate update(files, files, makeUpdatePlan(files, kSampleInput));
    update.begin();
    for (std::size_t index = 0; index < GetParam(); ++index) update.stage(index);

    update.undo();

    EXPECT_EQ(files.tree(), before);
    EXPECT_EQ(files.values(), kSampleOldValues);
    files.cutPower();
    EXPECT_EQ(files.tree(), before) << "put back durably";
    EXPECT_EQ(recoverInterruptedUpdate(files, files, L"/inst"), Recovery::None);
}

// The sample update stages six files; the last one is the one two new folders deep.
INSTANTIATE_TEST_SUITE_P(StagedFiles, UndoAfterStaging, ::testing::Range<std::size_t>(0, 7));

/// The kind of a call line ("rename /a -> /b" is a "rename") and how many of that kind came up to it.
struct CallOfKind {
    std::wstring kind;
    std::size_t nth;
    std::wstring line;
};

std::vector<CallOfKind> changingCallsOfWholeRun() {
    MemoryFiles files(kSampleOldTree, kSampleOldValues);
    std::vector<CallOfKind> calls;
    std::map<std::wstring, std::size_t> seen;
    files.watch([&](const std::wstring& line, bool done) {
        if (done) return;
        const std::wstring kind = line.substr(0, line.find(L' '));
        calls.push_back({kind, ++seen[kind], line});
    });
    StagedUpdate update(files, files, makeUpdatePlan(files, kSampleInput));
    carryOut(update);
    return calls;
}

TEST(FailedCall, AtEveryStepOfTheRunLeavesTheOldOrTheNewInstallation) {
    const MemoryTree oldTree = MemoryFiles(kSampleOldTree).tree();
    const MemoryTree newTree = MemoryFiles(kSampleNewTree).tree();
    for (const CallOfKind& call : changingCallsOfWholeRun()) {
        SCOPED_TRACE(::testing::PrintToString(call.line) + " failed");
        MemoryFiles files(kSampleOldTree, kSampleOldValues);
        files.failCall(call.kind, call.nth);
        StagedUpdate update(files, files, makeUpdatePlan(files, kSampleInput));
        bool failed = false;
        try {
            carryOut(update);
        } catch (const Failure&) {
            failed = true;
        }

        if (failed) {
            EXPECT_FALSE(update.final()) << "a failure after the update became final is no failure";
            EXPECT_EQ(files.tree(), oldTree);
            EXPECT_EQ(files.values(), kSampleOldValues);
            EXPECT_EQ(recoverInterruptedUpdate(files, files, L"/inst"), Recovery::None);
        } else {
            // Only the removal of what the update leaves behind may fail unseen; the next start finishes it.
            EXPECT_NE(recoverInterruptedUpdate(files, files, L"/inst"), Recovery::RolledBack);
            EXPECT_EQ(files.tree(), newTree);
            EXPECT_EQ(files.values(), kSampleNewValues);
        }
        if (HasFailure()) return;
    }
}

}  // namespace
}  // namespace setup::test
