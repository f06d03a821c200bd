// The dry run against an installation: what setup would find, copy, refuse and record, with nothing
// changed.
#include "check/dry_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "run/failure_exit.h"
#include "run/messages.h"
#include "check/list_analysis.h"
#include "platform/path_mapping.h"
#include "platform/text_codec.h"
#include "staging/journal.h"
#include "staging/staged_update.h"
#include "staging/update_plan.h"
#include "tests/check/check_fixture.h"
#include "tests/support/temp_dir.h"

namespace setup::test {
namespace {

namespace fs = std::filesystem;

/// An update folder beside an installation of Kelvane 2.0 whose registry names it.
class DryRunTest : public ::testing::Test {
  protected:
    DryRunTest() {
        writeFile(root / "Kelvane" / "same.txt", "content of same.txt");
        writeFile(root / "Kelvane" / "old.txt", "old");
        writeRegistry("[Kelvane]\r\nPath=" + (root / "Kelvane").string() + "\r\nVersion=2.0\r\n");
    }

    void writeRegistry(const std::string& text) { writeFile(root / "windows" / "Tamreg.reg", text); }

    check::DryRun runOn(const std::string& list) {
        layOut(root / "update", {list, {"same.txt", "old.txt", "new.txt"}});
        analysis = check::analyseList(fromUtf8((root / "update").string()));
        return check::dryRun(analysis, fromUtf8((root / "windows" / "Tamreg.reg").string()));
    }

    int status(const check::DryRun& run) { return check::exitStatus(analysis, run, false); }

    TempDir root;
    check::ListAnalysis analysis;
};

TEST_F(DryRunTest, UpdateThatAppliesTellsWhatEachCopyChanges) {
    const std::string registryBefore = readFile(root / "windows" / "Tamreg.reg");
    const check::DryRun run = runOn(
        ";T\r\n\xA7"
        "2.0|2.9\r\nsame.txt,old.txt,new.txt\r\n#3.1\r\n");

    EXPECT_TRUE(run.installed);
    ASSERT_EQ(run.copies.size(), 3u);
    EXPECT_EQ(run.copies[0].change, check::CopyChange::Identical);
    EXPECT_EQ(run.copies[1].change, check::CopyChange::Replaces);
    EXPECT_EQ(run.copies[2].change, check::CopyChange::New);
    EXPECT_EQ(run.bytesToCopy, std::string("content of same.txtcontent of old.txtcontent of new.txt").size());
    ASSERT_EQ(run.stamps.size(), 1u);
    EXPECT_EQ(run.stamps[0].version, L"3.1");
    EXPECT_TRUE(run.wouldApply());
    EXPECT_EQ(status(run), 0);
    // Nothing changed: the installation and the registry are as they were.
    EXPECT_FALSE(fs::exists(root / "Kelvane" / "new.txt"));
    EXPECT_EQ(readFile(root / "Kelvane" / "old.txt"), "old");
    EXPECT_EQ(readFile(root / "windows" / "Tamreg.reg"), registryBefore);
}

TEST_F(DryRunTest, InstallationFolderThatIsGoneMeansNotInstalled) {
    writeRegistry("[Kelvane]\r\nPath=" + (root / "gone").string() + "\r\n");
    const check::DryRun run = runOn(";T\r\nnew.txt\r\n");
    EXPECT_FALSE(run.installed);
    EXPECT_EQ(run.refusal, notInstalledMessage());
    EXPECT_EQ(status(run), 2);
}

TEST_F(DryRunTest, VersionOutOfRangeGivesSetupsOwnMessage) {
    const check::DryRun run = runOn(
        ";T\r\n\xA7"
        "2.5|3.0\r\n");
    ASSERT_TRUE(run.refusal);
    EXPECT_EQ(run.refusal->title, L"Kelvane install\u00E9 version : 2.0");
    EXPECT_EQ(run.refusal->text,
              L"Cette mise \u00E0 jour concerne les versions du logiciel Kelvane "
              L"sup\u00E9rieure ou \u00E9gale \u00E0 la version 2.5");
    EXPECT_EQ(status(run), 2);
}

TEST_F(DryRunTest, MissingRequiredFileRefuses) {
    const check::DryRun run = runOn(";T\r\n@same.txt\r\n@absent.txt\r\n");
    ASSERT_EQ(run.requiredFiles.size(), 2u);
    EXPECT_TRUE(run.requiredFiles[0].present);
    EXPECT_FALSE(run.requiredFiles[1].present);
    EXPECT_EQ(run.refusal, missingFilesMessage());
}

TEST_F(DryRunTest, VersionTheRegistryWouldRefuseIsAFailure) {
    const check::DryRun run = runOn(";T\r\n#3.1[A]]\r\n");
    ASSERT_EQ(run.stamps.size(), 1u);
    EXPECT_FALSE(run.stamps[0].writable);
    EXPECT_FALSE(run.wouldApply());
    EXPECT_EQ(status(run), 2);
}

TEST_F(DryRunTest, FolderStandingWhereAFileGoesRefusesTheWholeUpdate) {
    fs::create_directories(root / "Kelvane" / "new.txt");
    const check::DryRun run = runOn(";T\r\nnew.txt\r\n");
    EXPECT_TRUE(run.copies.empty());
    ASSERT_EQ(run.planRefusals.size(), 1u);
    EXPECT_EQ(run.planRefusals[0].line, 2u);
    EXPECT_EQ(run.planRefusals[0].refusal.reason, RefusalReason::NotAFile);
    EXPECT_FALSE(run.planRefusals[0].listError);
    EXPECT_EQ(run.failures,
              std::vector<std::wstring>{
                  L"Ligne 2 : un dossier occupe la place du fichier \u00AB new.txt \u00BB : setup "
                  L"refuserait toute la mise \u00E0 jour."});
    EXPECT_EQ(status(run), 2);
}

TEST_F(DryRunTest, EachRefusalIsReportedOnceAtItsOwnLine) {
    layOut(root / "update", {"", {"notes.setup-new"}});
    const check::DryRun run = runOn(";T\r\nold.txt\r\nnotes.setup-new\r\nnew.txt\r\n\"#3.1\t\"\r\n");
    ASSERT_EQ(run.copies.size(), 2u);
    EXPECT_EQ(run.copies[0].line, 2u);
    EXPECT_EQ(run.copies[1].line, 4u);
    EXPECT_EQ(run.copies[1].name, L"new.txt");
    ASSERT_EQ(run.planRefusals.size(), 2u);
    EXPECT_EQ(run.planRefusals[0].line, 3u);
    EXPECT_EQ(run.planRefusals[0].refusal.reason, RefusalReason::OwnFileName);
    EXPECT_EQ(run.planRefusals[1].line, 5u);
    EXPECT_EQ(run.planRefusals[1].refusal.reason, RefusalReason::ControlCharacter);
    // Every installation would refuse both: they are the list's errors, not told again as failures.
    EXPECT_TRUE(run.planRefusals[0].listError);
    EXPECT_TRUE(run.planRefusals[1].listError);
    EXPECT_TRUE(run.failures.empty());
    EXPECT_FALSE(run.wouldApply());
    EXPECT_EQ(status(run), 1);
}

TEST_F(DryRunTest, EachCopyGoesToTheInstalledFileThePlanFinds) {
    const check::DryRun run = runOn(";T\r\n.\\SAME.TXT\r\n");
    ASSERT_EQ(run.copies.size(), 1u);
    EXPECT_EQ(run.copies[0].name, L".\\SAME.TXT");
    EXPECT_TRUE(fs::equivalent(mapPath(run.copies[0].target), root / "Kelvane" / "same.txt"));
    EXPECT_EQ(run.copies[0].target.find(L".\\"), std::wstring::npos) << toUtf8(run.copies[0].target);
    EXPECT_EQ(run.copies[0].change, check::CopyChange::Identical);
}

TEST_F(DryRunTest, ListErrorsOutrankARefusal) {
    const check::DryRun run = runOn(
        ";T\r\n\xA7"
        "9|9\r\nabsent.txt\r\n");
    EXPECT_TRUE(run.refusal);
    EXPECT_EQ(status(run), 1);
}

/// A journal left at the installation's top and what setup would do with it first.
struct JournalRow {
    const char* name;
    const wchar_t* file;
    std::string text;
    check::JournalAction action;
};

void PrintTo(const JournalRow& row, std::ostream* out) { *out << row.name; }

class PendingJournalTest : public DryRunTest, public ::testing::WithParamInterface<JournalRow> {};

TEST_P(PendingJournalTest, TellsWhatSetupWouldDoFirstAndChangesNothing) {
    const JournalRow& row = GetParam();
    const fs::path journal = root / "Kelvane" / fs::path(row.file);
    writeFile(journal, row.text);
    writeFile(root / "Kelvane" / "b.txt.setup-new", "staged");

    const check::DryRun run = runOn(";T\r\nnew.txt\r\n");
    EXPECT_EQ(run.journal.action, row.action);
    EXPECT_EQ(run.journal.paths.size(), 1u);
    EXPECT_EQ(run.wouldApply(), !run.journal.stops());
    EXPECT_EQ(run.journal.stop.has_value(), row.action == check::JournalAction::Reject);
    if (run.journal.stop) {
        EXPECT_EQ(run.journal.stop->title, rejectedJournalMessage(L"", L"").title);
        EXPECT_NE(run.journal.stop->text.find(run.journal.paths[0]), std::wstring::npos);
    }
    EXPECT_EQ(readFile(journal), row.text);
    EXPECT_EQ(readFile(root / "Kelvane" / "b.txt.setup-new"), "staged");
}

const std::string kWholeJournal = formatJournal({L"0123abcd", 1, {}, {{L"b.txt", false}}, {}});

INSTANTIATE_TEST_SUITE_P(
    Journals, PendingJournalTest,
    ::testing::Values(
        JournalRow{"Interrupted", kJournalName, kWholeJournal, check::JournalAction::Undo},
        JournalRow{"FinalInterrupted", kFinalJournalName, kWholeJournal, check::JournalAction::Finish},
        JournalRow{"CutShort", kJournalName, "Kelvane update", check::JournalAction::Discard},
        JournalRow{"FinalCutShort", kFinalJournalName, "Kelvane update", check::JournalAction::Reject},
        JournalRow{"Foreign", kJournalName, "Kelvane update journal 9\nend\n", check::JournalAction::Reject}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace setup::test
