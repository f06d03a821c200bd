#include "unattended/unattended_host.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/text_codec.h"
#include "tests/support/scripted_runtime.h"
#include "tests/support/temp_dir.h"
#include "unattended/copy_progress.h"

namespace setup {
namespace {

struct AnswerRow {
    const char* name;
    RunMode mode;
    int style;
    int expected;
};

const AnswerRow kAnswerRows[] = {
    {"quiet_confirmation_goes_ahead", RunMode::Quiet, box::kQuestionOkCancel, box::kOk},
    {"quiet_warning_read", RunMode::Quiet, box::kExclamation, box::kOk},
    {"quiet_refusal_acknowledged", RunMode::Quiet, box::kCritical, box::kOk},
    {"quiet_recovery_acknowledged", RunMode::Quiet, box::kInformation, box::kOk},
    {"quiet_never_cancels", RunMode::Quiet, box::kQuestionYesNo, box::kNo},
    {"passive_confirmation_goes_ahead", RunMode::Passive, box::kQuestionOkCancel, box::kOk},
    {"passive_click_on_cancel_cancels", RunMode::Passive, box::kQuestionYesNo, box::kYes},
};

class UnattendedAnswerTest : public ::testing::TestWithParam<AnswerRow> {};

TEST_P(UnattendedAnswerTest, AnswersAsThePersonWouldToGoAhead) {
    EXPECT_EQ(UnattendedHost::unattendedAnswer(GetParam().mode, GetParam().style), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, UnattendedAnswerTest, ::testing::ValuesIn(kAnswerRows),
                         [](const auto& info) { return std::string(info.param.name); });

/// An unattended host over the scripted one, its standard error kept in memory.
class UnattendedHostTest : public ::testing::Test {
  protected:
    UnattendedHost make(RunMode mode) {
        return UnattendedHost(inner, mode, nullptr, &progress,
                                 [this](std::wstring_view line) { standardError.emplace_back(line); });
    }

    test::TempDir folder;
    test::ScriptedRuntime inner{fromUtf8(folder.path().string())};
    CopyProgress progress;
    std::vector<std::wstring> standardError;
};

TEST_F(UnattendedHostTest, StopGoesToStandardErrorWithItsExactTextsAndTheFailuresCauseAndShowsNoBox) {
    UnattendedHost host = make(RunMode::Passive);
    host.messageBox(L"Le texte", box::kCritical, L"Erreur: titre");
    host.runStopped(L"Erreur: titre", L"Le texte", L"");
    host.runStopped(L"Erreur: titre", L"Le texte", L"la cause");
    EXPECT_EQ(standardError, (std::vector<std::wstring>{L"Erreur: titre \u2014 Le texte\n",
                                                        L"Erreur: titre \u2014 Le texte \u2014 \u00C9chec : la cause\n"}));
    EXPECT_TRUE(inner.messages.empty());
}

TEST_F(UnattendedHostTest, WarningsAndQuestionsStayOffStandardError) {
    UnattendedHost host = make(RunMode::Quiet);
    host.messageBox(L"Attention : Fermez Kelvane", box::kExclamation, L"Mise en Garde");
    host.messageBox(L"Voulez-vous effectuer la mise \u00E0 jour ?", box::kQuestionOkCancel, L"Titre");
    EXPECT_TRUE(standardError.empty());
}

TEST_F(UnattendedHostTest, InteractiveBoxIsShownAndThePersonAnswers) {
    UnattendedHost host = make(RunMode::Interactive);
    inner.answers = {box::kCancel};
    EXPECT_EQ(host.messageBox(L"Voulez-vous ?", box::kQuestionOkCancel, L"Titre"), box::kCancel);
    EXPECT_EQ(inner.messages.size(), 1u);
    EXPECT_TRUE(standardError.empty());
}

TEST_F(UnattendedHostTest, EachStagedFileCountsItsBytes) {
    UnattendedHost host = make(RunMode::Quiet);
    test::writeFile(folder / "update" / "a.bin", "12345");
    test::writeFile(folder / "update" / "b.bin", "123");
    std::filesystem::create_directories(folder / "Kelvane");
    const std::wstring update = fromUtf8((folder / "update").string());
    const std::wstring installation = fromUtf8((folder / "Kelvane").string());
    inner.files().holdFolder(update);
    inner.files().holdFolder(installation);
    for (const std::wstring name : {L"/a.bin", L"/b.bin"}) {
        const std::uint64_t bytes =
            inner.files().copyFile(update + name, installation + name, installation + name + L".setup-new");
        host.fileStaged(update + name, installation + name, bytes);
    }
    EXPECT_EQ(progress.filesDone, 2);
    EXPECT_EQ(progress.bytesDone, 8u);
}

struct ProgressRow {
    const char* name;
    int filesDone, filesTotal;
    std::uint64_t bytesDone, bytesTotal;
    std::wstring expected;
};

const ProgressRow kProgressRows[] = {
    {"start", 0, 3, 0, 62, L"Copie : 0 fichier sur 3, 0 octet sur 62 (0 %)\n"},
    {"halfway_by_bytes", 1, 3, 31, 62, L"Copie : 1 fichier sur 3, 31 octets sur 62 (50 %)\n"},
    {"done", 3, 3, 62, 62, L"Copie : 3 fichiers sur 3, 62 octets sur 62 (100 %)\n"},
    {"empty_files_done", 2, 2, 0, 0, L"Copie : 2 fichiers sur 2, 0 octet sur 0 (100 %)\n"},
    {"empty_files_pending", 0, 2, 0, 0, L"Copie : 0 fichier sur 2, 0 octet sur 0 (0 %)\n"},
    {"beyond_four_gib", 1, 2, 5000000000ull, 10000000000ull,
     L"Copie : 1 fichier sur 2, 5000000000 octets sur 10000000000 (50 %)\n"},
    {"grown_source_capped", 1, 1, 80, 62, L"Copie : 1 fichier sur 1, 80 octets sur 62 (100 %)\n"},
};

class ProgressLineTest : public ::testing::TestWithParam<ProgressRow> {};

TEST_P(ProgressLineTest, FilesAndBytesOfTheTotal) {
    const ProgressRow& row = GetParam();
    EXPECT_EQ(progressLine(row.filesDone, row.filesTotal, row.bytesDone, row.bytesTotal), row.expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, ProgressLineTest, ::testing::ValuesIn(kProgressRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ProgressTickerTest, FinishWritesTheLineAsItStandsAtTheEnd) {
    CopyProgress progress;
    std::vector<std::wstring> lines;
    ProgressTicker ticker(progress, [&](std::wstring_view line) { lines.emplace_back(line); });
    progress.filesTotal = 2;
    progress.bytesTotal = 10;
    ticker.start();
    progress.filesDone = 2;
    progress.bytesDone = 10;
    ticker.finish();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), L"Copie : 2 fichiers sur 2, 10 octets sur 10 (100 %)\n");
}

TEST(DurationTextTest, SecondsWithADecimalComma) {
    EXPECT_EQ(durationText(std::chrono::milliseconds(1250)), L"1,250 s");
    EXPECT_EQ(durationText(std::chrono::milliseconds(7)), L"0,007 s");
    EXPECT_EQ(durationText(std::chrono::seconds(75)), L"75,000 s");
}

}  // namespace
}  // namespace setup
