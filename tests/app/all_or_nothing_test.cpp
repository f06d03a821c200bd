// An update applies whole or not at all: faults and cancels leave the installation and the registry byte
// for byte as they were, or fully updated.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "tests/app/all_or_nothing_run.h"

namespace setup::test {
namespace {

namespace fs = std::filesystem;

struct FaultRow {
    const char* name;
    std::function<void(UpdateRun&)> arrange;
    int exitStatus;
    std::wstring list = kList;
};

class Fault : public ::testing::TestWithParam<FaultRow> {};

TEST_P(Fault, LeavesTheInstallationAndTheRegistryAsTheyWere) {
    UpdateRun run;
    layOut(run, GetParam().list);
    GetParam().arrange(run);
    const InstallationState before = run.snapshot();
    const std::vector<std::string> shipped = run.filesInUpdateFolder();
    InstallationState atFailureMessage;
    run.runtime.onMessage = [&](const ShownMessage& message) {
        if (message == kFailure) atFailureMessage = run.snapshot();
    };

    EXPECT_EQ(run.run(), GetParam().exitStatus);

    EXPECT_EQ(run.snapshot(), before);
    if (GetParam().exitStatus == 3) {
        EXPECT_EQ(run.runtime.messages.back(), kFailure);
        EXPECT_EQ(atFailureMessage, before) << "the user is told once everything is back";
    }
    // The failure box asks to start again, which needs the update; a cancel cleans it up.
    if (GetParam().exitStatus == 3)
        EXPECT_EQ(run.filesInUpdateFolder(), shipped);
    else
        EXPECT_FALSE(fs::exists(run.updateFolder / "setup.lst"));
}

void holdProgram(UpdateRun& run) { run.runtime.heldFiles = {fromUtf8(run.installation.string()) + L"\\kelvane.exe"}; }

const FaultRow kFaults[] = {
    {"SourceMissing", [](UpdateRun& run) { fs::remove(run.updateFolder / "aide.txt"); }, 3},
    {"DiskFullWhileStaging", [](UpdateRun& run) { run.runtime.failStageCopyAt = 3; }, 3},
    {"FirstRenameOfTheCommit", [](UpdateRun& run) { run.runtime.failRenameAt = 1; }, 3},
    {"RenameIntoPlaceAfterTheMoveAside", [](UpdateRun& run) { run.runtime.failRenameAt = 2; }, 3},
    {"LastRenameOfTheCommit", [](UpdateRun& run) { run.runtime.failRenameAt = 4; }, 3},
    {"FlushOfTheStagedFiles", [](UpdateRun& run) { run.runtime.failFlushAt = 1; }, 3},
    {"FlushOfTheRenames", [](UpdateRun& run) { run.runtime.failFlushAt = 3; }, 3},
    {"StampRefusedAfterAnotherWasWritten", [](UpdateRun&) {}, 3,
     L"kelvane.exe\r\naide.txt\r\nmodules\\calcul.dll\r\n#3.1\r\n#1.0[A]B]\r\n"},
    {"StampRefusedWithNothingCopied", [](UpdateRun&) {}, 3, L"#3.1\r\n#1.0[A]B]\r\n"},
    {"RenameIntoPlaceOfAReadOnlyInstalledFile",
     [](UpdateRun& run) {
         fs::permissions(run.installation / "kelvane.exe",
                         fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                         fs::perm_options::remove);
         run.runtime.failRenameAt = 2;
     },
     3},
    {"CancelAtTheLastPointOfTheCopy",
     [](UpdateRun& run) {
         run.runtime.answers = {box::kOk, box::kYes};
         run.runtime.atPendingPoint[3] = [&run] { run.form2.press(); };
     },
     1},
    {"CancelWhileAFileIsHeld", [](UpdateRun& run) { holdProgram(run); run.runtime.answers = {box::kOk, box::kCancel}; }, 1},
    {"FileStillHeldWhenTheWaitEnds", [](UpdateRun& run) { holdProgram(run); run.runtime.heldFilesWait = 2; }, 3},
};

INSTANTIATE_TEST_SUITE_P(AllOrNothing, Fault, ::testing::ValuesIn(kFaults),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(AllOrNothing, CompleteUpdateLeavesNoneOfTheProgramsOwnFiles) {
    UpdateRun run;
    layOut(run);
    EXPECT_EQ(run.run(), 0);
    expectUpdated(run);
}

TEST(AllOrNothing, CompleteUpdateOfAReadOnlyFileLeavesItReadOnlyAndNoneOfTheProgramsOwnFiles) {
    UpdateRun run;
    layOut(run);
    const fs::path program = run.installation / "kelvane.exe";
    fs::permissions(program, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_EQ(run.run(), 0);
    expectUpdated(run);
    EXPECT_EQ(fs::status(program).permissions() & fs::perms::owner_write, fs::perms::none);
}

}  // namespace
}  // namespace setup::test
