// Whole runs of the update nobody watches: the quiet windows and the unattended host over the scripted
// one, with a real log.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "app/update_sequence.h"
#include "directives/list_directives.h"
#include "platform/text_codec.h"
#include "run/messages.h"
#include "tests/app/update_run_fixture.h"
#include "tests/support/lock_holder.h"
#include "tests/support/runtime_in_host.h"
#include "unattended/copy_progress.h"
#include "unattended/quiet_windows.h"
#include "unattended/run_log.h"
#include "unattended/unattended_host.h"

namespace setup::test {
namespace {

/// The sample update's list: a title, a warning, a range, a required file, three files and a version.
const std::wstring kList =
    L";Mise \u00E0 jour 3.1\r\n!Fermez Kelvane\r\n\u00A72.0|2.9\r\n@kelvane.exe\r\nkelvane.exe,aide.txt\r\n"
    L"modules\\calcul.dll\r\n#3.1\r\n";

/// An UpdateRun driven the way a quiet (or passive, or logged interactive) run drives it.
class UnattendedRunTest : public UpdateRunTest {
  protected:
    int runAs(RunMode mode, int heldFilesWait = kDefaultHeldFilesWait, ExitCodes codes = ExitCodes::Plain) {
        RunLog log(fromUtf8((run.root / "setup.log").string()));
        UnattendedHost host(
            run.runtime, mode, &log, &progress, [this](std::wstring_view line) { standardError += line; },
            heldFilesWait, codes);
        host.logStart();
        RuntimeInHost runtime(run.runtime, host);
        RunState state;
        QuietMainWindow form1;
        QuietProgressWindow form2(progress, [this](std::wstring_view line) { standardOutput += line; });
        Session session{runtime, state, form1, form2};
        form2.attach(session);
        ListDirectives directives(session);
        try {
            Form_Load(session, directives);
        } catch (const ProgramEnded& ended) {
            return ended.exitStatus;
        }
    }

    /// The log's events, without their time stamps.
    std::vector<std::string> logEvents() const {
        std::vector<std::string> events;
        std::istringstream lines(readFile(run.root / "setup.log"));
        for (std::string line; std::getline(lines, line);) {
            // Lines end as the system's text files do: CR LF on Windows.
            if (!line.empty() && line.back() == '\r') line.pop_back();
            events.push_back(line.substr(25));
        }
        return events;
    }

    bool logged(const std::wstring& event) const {
        const std::vector<std::string> events = logEvents();
        return std::find(events.begin(), events.end(), toUtf8(event)) != events.end();
    }

    CopyProgress progress;
    std::wstring standardError;
    std::wstring standardOutput;
};

TEST_F(UnattendedRunTest, QuietRunAppliesTheUpdateWithoutAnyBox) {
    run.writeList(kList);
    EXPECT_EQ(runAs(RunMode::Quiet), 0);
    EXPECT_TRUE(run.runtime.messages.empty());
    EXPECT_EQ(installed(run, "kelvane.exe"), "new program");
    EXPECT_EQ(installed(run, "modules/calcul.dll"), "calcul");
    EXPECT_NE(run.registryText().find("Version=3.1"), std::string::npos);
    EXPECT_EQ(standardError, L"");
    EXPECT_EQ(run.filesInUpdateFolder(), std::vector<std::string>{});
}

TEST_F(UnattendedRunTest, QuietRunLogsEveryStepOfTheUpdate) {
    run.writeList(kList);
    runAs(RunMode::Quiet);
    const std::wstring update = fromUtf8(run.updateFolder.string());
    const std::wstring installation = fromUtf8(run.installation.string());
    for (const std::wstring& event : std::vector<std::wstring>{
             L"Dossier de mise \u00E0 jour : " + update,
             L"Liste : " + update + L"\\setup.lst ; titre : \u00AB Mise \u00E0 jour 3.1 \u00BB",
             L"Installation trouv\u00E9e : " + installation + L"\\",
             std::wstring(L"Entr\u00E9e lue : \u00AB modules\\calcul.dll \u00BB"),
             std::wstring(L"Avertissement \u00AB Mise en Garde \u00BB : Attention : Fermez Kelvane"),
             L"V\u00E9rification : Kelvane install\u00E9 en version \u00AB 2.0 \u00BB, plage \u00AB 2.0 "
             L"\u00BB "
             L"\u00E0 \u00AB 2.9 \u00BB : accept\u00E9e",
             L"V\u00E9rification : fichier requis " + installation + L"\\kelvane.exe : pr\u00E9sent",
             L"Question \u00AB Mise \u00E0 jour 3.1 \u00BB : " + kConfirmText,
             std::wstring(L"R\u00E9ponse : OK (donn\u00E9e d'office, sans question)"),
             std::wstring(L"Fichiers \u00E0 copier : 3"),
             L"Fichier pr\u00E9par\u00E9 : " + update + L"\\kelvane.exe -> " + installation +
                 L"\\kelvane.exe (11 octets)",
             std::wstring(L"Validation faite : 3 fichier(s) en place"),
             std::wstring(L"Version inscrite : Kelvane en version \u00AB 3.1 \u00BB"),
             std::wstring(L"Supprim\u00E9 du dossier de mise \u00E0 jour : modules\\calcul.dll"),
             std::wstring(L"Supprim\u00E9 du dossier de mise \u00E0 jour : la liste setup.lst"),
         }) {
        EXPECT_TRUE(logged(event)) << toUtf8(event);
    }
    ASSERT_FALSE(logEvents().empty());
    EXPECT_EQ(logEvents().back().rfind("Fin : code de sortie 0 (mise \xC3\xA0 jour appliqu\xC3\xA9"
                                       "e) ; dur",
                                       0),
              0u);
}

TEST_F(UnattendedRunTest, QuietRunEndsItsProgressWithTheWholeCopy) {
    run.writeList(kList);
    runAs(RunMode::Quiet);
    EXPECT_TRUE(standardOutput.ends_with(L"Copie : 3 fichiers sur 3, 21 octets sur 21 (100 %)\n"))
        << toUtf8(standardOutput);
}

struct RefusalRow {
    const char* name;
    std::wstring list;
    std::string registryVersion;  ///< empty: no installation registered
    ShownMessage message;
};

const RefusalRow kRefusalRows[] = {
    {"not_installed", kList, "", notInstalled()},
    {"below_the_range", kList, "1.5", lowerBound(L"1.5", L"2.0")},
    {"above_the_range", kList, "3.0", upperBound(L"3.0", L"2.9")},
    {"required_file_missing", L";T\r\n@absent.dll\r\nkelvane.exe\r\n", "2.0", missingFiles()},
};

class UnattendedRefusalTest : public UnattendedRunTest, public ::testing::WithParamInterface<RefusalRow> {};

TEST_P(UnattendedRefusalTest, QuietRefusalIsWrittenWithTheBoxTextsAndChangesNothing) {
    const RefusalRow& row = GetParam();
    run.writeList(row.list);
    if (row.registryVersion.empty())
        std::filesystem::remove(run.windowsFolder / "Tamreg.reg");
    else
        run.registerProduct(row.registryVersion);
    const InstallationState before = run.snapshot();
    EXPECT_EQ(runAs(RunMode::Quiet), 2);
    EXPECT_EQ(standardError, row.message.title + L" \u2014 " + row.message.text + L"\n");
    EXPECT_TRUE(logged(L"Erreur \u00AB " + row.message.title + L" \u00BB : " + row.message.text));
    EXPECT_EQ(logEvents().back().rfind("Fin : code de sortie 2 ", 0), 0u);
    EXPECT_EQ(run.snapshot(), before);
    EXPECT_TRUE(run.runtime.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Rows, UnattendedRefusalTest, ::testing::ValuesIn(kRefusalRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(UnattendedRunTest, QuietFailureIsWrittenLoggedWithItsCauseAndPutBack) {
    run.writeList(kList);
    run.runtime.failStageCopyAt = 2;
    const InstallationState before = run.snapshot();
    EXPECT_EQ(runAs(RunMode::Quiet), 3);
    EXPECT_EQ(standardError, failure().title + L" \u2014 " + failure().text +
                                 L" \u2014 \u00C9chec : cannot copy: No space left on device\n");
    EXPECT_TRUE(logged(L"\u00C9chec : cannot copy: No space left on device"));
    EXPECT_EQ(logEvents().back().rfind("Fin : code de sortie 3 ", 0), 0u);
    EXPECT_EQ(run.snapshot(), before);
}

TEST_F(UnattendedRunTest, QuietRefusalOfThePlanIsLoggedWithTheEntryAndItsReason) {
    run.addUpdateFile("notes.setup-old", "notes");
    run.writeList(std::wstring(L"kelvane.exe\r\nnotes.setup-old\r\n"));
    const InstallationState before = run.snapshot();
    EXPECT_EQ(runAs(RunMode::Quiet), 3);
    EXPECT_TRUE(
        logged(L"Mise \u00E0 jour refus\u00E9e avant toute copie : \u00AB notes.setup-old \u00BB porte un "
               L"nom que setup r\u00E9serve \u00E0 ses propres fichiers (.setup-\u2026, \u2026.setup-new, "
               L"\u2026.setup-old)"));
    EXPECT_EQ(run.snapshot(), before);
}

TEST_F(UnattendedRunTest, LoggedInteractiveRunRecordsThePersonsAnswer) {
    run.writeList(kList);
    run.runtime.answers = {box::kOk, box::kCancel};
    EXPECT_EQ(runAs(RunMode::Interactive), 1);
    EXPECT_EQ(run.runtime.messages.size(), 2u);
    EXPECT_TRUE(logged(L"R\u00E9ponse : Annuler (donn\u00E9e par l'utilisateur)"));
    EXPECT_EQ(standardError, L"");
}

TEST_F(UnattendedRunTest, QuietRunOnAHeldInstallationWritesTheRefusal) {
    run.writeList(kList);
    LockHolder other(run.installation);
    EXPECT_EQ(runAs(RunMode::Quiet, 60, ExitCodes::Msi), 1618) << "retried later by the tool";
    EXPECT_EQ(standardError, installationLockedMessage().title + L" \u2014 " + installationLockedMessage().text + L"\n");
}

}  // namespace
}  // namespace setup::test
