// The plan decides every file, folder and value before anything is staged, and refuses an update that
// would lead out of its folders or onto the program's own files.
#include "staging/update_plan.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "staging/staged_update.h"
#include "tests/staging/sample_update.h"
#include "tests/support/memory_files.h"

namespace setup {

void PrintTo(const PlanRefusal& refusal, std::ostream* out) {
    *out << ::testing::PrintToString(refusal.entry) << " refused for " << static_cast<int>(refusal.reason);
}

namespace test {
namespace {

const MemoryTree kBase{
    {L"/inst/kelvane.exe", "kelvane 3.0"},
    {L"/inst/modules/calcul.dll", "calcul 3.0"},
    {L"/upd/kelvane.exe", "kelvane 3.1"},
};

struct RefusalRow {
    const char* name;
    MemoryTree extra;
    std::vector<std::wstring> entries;
    std::vector<PlanRefusal> refusals;
    std::wstring updateFolder = L"/upd";
    std::wstring installDir = L"/inst";
    std::vector<PlannedStamp> stamps = {};
    friend void PrintTo(const RefusalRow& row, std::ostream* out) { *out << row.name; }
};

class PlanRefusals : public ::testing::TestWithParam<RefusalRow> {};

TEST_P(PlanRefusals, AreTheOnesExpected) {
    const RefusalRow& row = GetParam();
    MemoryFiles files(kBase);
    files.layOut(row.extra);
    const MemoryTree before = files.tree();

    const UpdatePlan plan =
        makeUpdatePlan(files, {row.updateFolder, row.installDir, row.entries, row.stamps});

    EXPECT_EQ(plan.refusals, row.refusals);
    EXPECT_EQ(files.changeCount(), 0u);
    EXPECT_EQ(files.tree(), before);
}

const std::wstring kLongName(MemoryFiles::kNameLimit - 3, L'n');

INSTANTIATE_TEST_SUITE_P(
    Plan, PlanRefusals,
    ::testing::Values(
        RefusalRow{"FolderWhereAFileGoes",
                   {{L"/upd/modules/x", "x"}},
                   {L"modules"},
                   {{L"modules", RefusalReason::NotAFile}}},
        RefusalRow{"LinkWhereAFileGoes",
                   {{L"/inst/lien", "<link> kelvane.exe"}, {L"/upd/lien", "l"}},
                   {L"lien"},
                   {{L"lien", RefusalReason::NotAFile}}},
        RefusalRow{"TheInstallationItself",
                   {},
                   {L"modules\\.."},
                   {{L"modules\\..", RefusalReason::InstallationItself}}},
        RefusalRow{"ClimbingOutByItsText",
                   {{L"/dehors.txt", "d"}},
                   {L"..\\dehors.txt"},
                   {{L"..\\dehors.txt", RefusalReason::OutsideUpdateFolder}}},
        RefusalRow{"LinkInTheInstallationLeavingIt",
                   {{L"/inst/up", "<link> .."}, {L"/upd/up/victim.txt", "v"}},
                   {L"up\\victim.txt"},
                   {{L"up\\victim.txt", RefusalReason::OutsideInstallation}}},
        RefusalRow{"LinkInTheUpdateFolderLeavingIt",
                   {{L"/upd/up", "<link> .."}, {L"/secret.txt", "s"}},
                   {L"up\\secret.txt"},
                   {{L"up\\secret.txt", RefusalReason::OutsideUpdateFolder}}},
        RefusalRow{"LinkInTheUpdateFolderLeftByDotDot",
                   {{L"/upd/up", "<link> /outside"}, {L"/outside", "<folder>"}, {L"/secret.txt", "s"}},
                   {L"up\\..\\secret.txt"},
                   {{L"up\\..\\secret.txt", RefusalReason::OutsideUpdateFolder}}},
        RefusalRow{"UpdateFileThatIsALinkOut",
                   {{L"/upd/lien.txt", "<link> /secret.txt"}, {L"/secret.txt", "s"}},
                   {L"lien.txt"},
                   {{L"lien.txt", RefusalReason::OutsideUpdateFolder}}},
        RefusalRow{"SiblingFolderNamedLikeTheInstallation",
                   {{L"/x/update/kelvane.exe", "3.0"}, {L"/x/update2/kelvane.exe", "3.1"}},
                   {L"kelvane.exe"},
                   {},
                   L"/x/update2",
                   L"/x/update"},
        RefusalRow{"UpdateFolderIsTheInstallation",
                   {},
                   {L"kelvane.exe"},
                   {{L"", RefusalReason::UpdateInsideInstallation}},
                   L"/inst"},
        RefusalRow{"UpdateFolderInsideTheInstallation",
                   {{L"/inst/maj/kelvane.exe", "3.1"}},
                   {L"kelvane.exe"},
                   {{L"", RefusalReason::UpdateInsideInstallation}},
                   L"/inst/maj"},
        RefusalRow{"UpdateFolderInsideTheInstallationNamedInOtherLetters",
                   {{L"/inst/maj/kelvane.exe", "3.1"}},
                   {L"kelvane.exe"},
                   {{L"", RefusalReason::UpdateInsideInstallation}},
                   L"/INST/Maj"},
        RefusalRow{"InstallationInsideTheUpdateFolder",
                   {{L"/upd/inst/kelvane.exe", "3.0"}},
                   {L"kelvane.exe"},
                   {{L"", RefusalReason::UpdateInsideInstallation}},
                   L"/upd",
                   L"/upd/inst"},
        RefusalRow{"OwnFileNames",
                   {{L"/upd/a.setup-new", "a"}, {L"/upd/b.setup-old", "b"}, {L"/upd/.setup-journal", "j"},
                    {L"/upd/.SETUP-LOCK", "l"}, {L"/upd/x.setup-new/y.txt", "y"}},
                   {L"a.setup-new", L"b.setup-old", L".setup-journal", L".SETUP-LOCK", L"x.setup-new\\y.txt"},
                   {{L"a.setup-new", RefusalReason::OwnFileName},
                    {L"b.setup-old", RefusalReason::OwnFileName},
                    {L".setup-journal", RefusalReason::OwnFileName},
                    {L".SETUP-LOCK", RefusalReason::OwnFileName},
                    {L"x.setup-new\\y.txt", RefusalReason::OwnFileName}}},
        RefusalRow{"TabInAName",
                   {{L"/upd/a\tb.txt", "a"}},
                   {L"a\tb.txt"},
                   {{L"a\tb.txt", RefusalReason::ControlCharacter}}},
        RefusalRow{"TabInAVersion",
                   {},
                   {L"kelvane.exe"},
                   {{L"#3.1\t", RefusalReason::ControlCharacter}},
                   L"/upd",
                   L"/inst",
                   {{L"Kelvane", L"3.1\t"}}},
        RefusalRow{"NameTooLongForItsStagedName",
                   {{L"/upd/" + kLongName, "long"}},
                   {kLongName},
                   {{kLongName, RefusalReason::NameTooLong}}}),
    [](const auto& info) { return info.param.name; });

TEST(Plan, CreatesTheFoldersOfAFileTwoNewFoldersDeepParentsFirst) {
    MemoryFiles files(kSampleOldTree, kSampleOldValues);
    StagedUpdate update(files, files, makeUpdatePlan(files, kSampleInput));
    EXPECT_EQ(update.plan().folders, (std::vector<std::wstring>{L"a", L"a/b"}));

    carryOut(update);

    std::vector<std::wstring> created;
    for (const std::wstring& call : files.calls()) {
        if (call.rfind(L"createFolder ", 0) == 0) created.push_back(call);
    }
    EXPECT_EQ(created, (std::vector<std::wstring>{L"createFolder /inst/a", L"createFolder /inst/a/b"}));
    EXPECT_EQ(files.tree().at(L"/inst/a/b/c.txt"), "c 3.1");
}

TEST(Plan, StagesAFileNamedTwiceInOtherLettersOnceUnderItsFirstSpelling) {
    MemoryFiles files({{L"/inst", "<folder>"}, {L"/upd/Notes.txt", "first"}, {L"/upd/NOTES.TXT", "last"}});
    const UpdatePlan plan = makeUpdatePlan(files, {L"/upd", L"/inst", {L"Notes.txt", L"NOTES.TXT"}, {}});
    ASSERT_EQ(plan.files.size(), 1u);
    EXPECT_EQ(plan.files[0].relative, L"Notes.txt");
    EXPECT_EQ(plan.entryFiles, (std::vector<std::size_t>{0, 0}));
    StagedUpdate update(files, files, plan);

    carryOut(update);

    EXPECT_EQ(
        files.tree(),
        MemoryFiles({{L"/inst/Notes.txt", "last"}, {L"/upd/Notes.txt", "first"}, {L"/upd/NOTES.TXT", "last"}})
            .tree());
}

TEST(Plan, KeepsTheInstalledSpellingOfAReplacedFile) {
    MemoryFiles files({{L"/inst/a.txt", "old"}, {L"/upd/A.TXT", "new"}});
    const UpdatePlan plan = makeUpdatePlan(files, {L"/upd", L"/inst", {L"A.TXT"}, {}});
    ASSERT_EQ(plan.files.size(), 1u);
    EXPECT_EQ(plan.files[0], (PlannedFile{plan.files[0].source, L"a.txt", true}));
    StagedUpdate update(files, files, plan);

    carryOut(update);

    EXPECT_EQ(files.tree(), MemoryFiles({{L"/inst/a.txt", "new"}, {L"/upd/A.TXT", "new"}}).tree());
}

}  // namespace
}  // namespace test
}  // namespace setup
