// Whole runs of a sealed update: the seal is read after the confirmation, each file's bytes are compared
// with it as they are staged, before the commit; a damaged update changes nothing and stays in its folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/path_mapping.h"
#include "seal/seal_writer.h"
#include "tests/app/update_run_fixture.h"

namespace setup::test {
namespace {

namespace fs = std::filesystem;

const std::wstring kList =
    L";Mise \u00E0 jour\r\nkelvane.exe\r\nnotes de version "
    L"\u00E9t\u00E9.txt\r\nmodules\\calcul.dll\r\n#3.1\r\n";
const std::vector<std::wstring> kCopied = {L"kelvane.exe", L"notes de version \u00E9t\u00E9.txt",
                                           L"modules\\calcul.dll"};
// Named by its UTF-8 spelling, so that Windows makes the same name as Linux.
const fs::path kAccentedPath(u8"notes de version \u00E9t\u00E9.txt");
const std::wstring kFetchAgain =
    L" La mise \u00E0 jour n'a pas \u00E9t\u00E9 faite ; veuillez la t\u00E9l\u00E9charger \u00E0 nouveau.";

/// An installed Kelvane 2.0 and a sealed update of three files, one named with spaces and accents.
struct SealedUpdate {
    SealedUpdate() {
        run.registerProduct("2.0");
        run.addInstalledFile("kelvane.exe", "old program");
        run.addUpdateFile("kelvane.exe", "new program");
        writeFile(run.updateFolder / kAccentedPath, "notes");
        run.addUpdateFile("modules/calcul.dll", "calcul");
        run.writeList(kList);
        const std::wstring folder = programPath(run.updateFolder);
        writeSeal(folder, digestUpdateFiles(folder, kCopied));
    }
    std::string sealText() const { return readFile(run.updateFolder / "setup.sum"); }
    void setSeal(const std::string& bytes) const { writeFile(run.updateFolder / "setup.sum", bytes); }

    UpdateRun run;
};

class SealedRun : public ::testing::Test, protected SealedUpdate {};

TEST_F(SealedRun, SoundSealLetsTheUpdateThroughAndGoesWithTheList) {
    EXPECT_EQ(run.run(), 0);
    EXPECT_EQ(run.runtime.messages, (std::vector<ShownMessage>{confirmation(L"Mise \u00E0 jour")}));
    EXPECT_EQ(installed(run, "kelvane.exe"), "new program");
    EXPECT_EQ(readFile(run.installation / kAccentedPath), "notes");
    EXPECT_TRUE(run.filesInUpdateFolder().empty());
}

TEST_F(SealedRun, SealSavedWithCrLfIsAccepted) {
    std::string crlf;
    for (char c : sealText()) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    setSeal(crlf);
    EXPECT_EQ(run.run(), 0);
    EXPECT_EQ(installed(run, "modules/calcul.dll"), "calcul");
}

TEST_F(SealedRun, DamagedFileIsNamedAndNothingChanges) {
    run.addUpdateFile("kelvane.exe", "new prograM");
    const InstallationState before = run.snapshot();
    const std::vector<std::string> shipped = run.filesInUpdateFolder();

    EXPECT_EQ(run.run(), 3);

    EXPECT_EQ(
        run.runtime.messages,
        (std::vector<ShownMessage>{
            confirmation(L"Mise \u00E0 jour"),
            {L"Le fichier \u00AB kelvane.exe \u00BB de la mise \u00E0 jour est endommag\u00E9 ou incomplet." +
                 kFetchAgain,
             kFailureTitle, 16}}));
    EXPECT_EQ(run.snapshot(), before);
    EXPECT_EQ(run.filesInUpdateFolder(), shipped) << "kept to be looked at or fetched again";
}

TEST_F(SealedRun, DecliningADamagedUpdateChecksNothingAndCleansUp) {
    run.addUpdateFile("kelvane.exe", "damaged");
    run.runtime.answers = {box::kCancel};
    EXPECT_EQ(run.run(), 1);
    EXPECT_EQ(run.runtime.messages.size(), 1u);
    EXPECT_TRUE(run.filesInUpdateFolder().empty()) << "the seal goes with the list";
}

struct DamageCase {
    const char* name;
    std::function<void(SealedUpdate&)> damage;
    std::wstring text;  ///< what the box says before the common ending
};

TEST_F(SealedRun, EachDamageStopsTheRunBeforeTheCommit) {
    const std::wstring file = L"Le fichier \u00AB ";
    const DamageCase rows[] = {
        {"one byte changed", [](SealedUpdate& t) { t.run.addUpdateFile("kelvane.exe", "new prograM"); },
         file + L"kelvane.exe \u00BB de la mise \u00E0 jour est endommag\u00E9 ou incomplet."},
        {"file cut short",
         [](SealedUpdate& t) { fs::resize_file(t.run.updateFolder / "modules" / "calcul.dll", 3); },
         file + L"modules\\calcul.dll \u00BB de la mise \u00E0 jour est endommag\u00E9 ou incomplet."},
        {"file missing", [](SealedUpdate& t) { fs::remove(t.run.updateFolder / "kelvane.exe"); },
         file + L"kelvane.exe \u00BB de la mise \u00E0 jour est manquant."},
        {"seal line missing",
         [](SealedUpdate& t) {
             const std::string text = t.sealText();
             t.setSeal(text.substr(text.find('\n') + 1));
         },
         file +
             L"kelvane.exe \u00BB de la mise \u00E0 jour n'est pas nomm\u00E9 par son sceau setup.sum : la "
             L"mise \u00E0 jour est endommag\u00E9e."},
        {"extra line",
         [](SealedUpdate& t) { t.setSeal(t.sealText() + std::string(64, 'a') + "  aide.txt\n"); },
         file +
             L"aide.txt \u00BB de la mise \u00E0 jour est nomm\u00E9 par son sceau setup.sum, mais la liste "
             L"setup.lst ne le copie pas : la liste est endommag\u00E9e."},
        {"seal in the wrong format", [](SealedUpdate& t) { t.setSeal("kelvane.exe: OK\n"); },
         L"Le sceau de la mise \u00E0 jour (setup.sum) est endommag\u00E9 : sa ligne 1 n'est pas au bon "
         L"format."},
        {"name with spaces and accents",
         [](SealedUpdate& t) { writeFile(t.run.updateFolder / kAccentedPath, "notez"); },
         file + L"notes de version \u00E9t\u00E9.txt \u00BB de la mise \u00E0 jour est endommag\u00E9 ou "
                L"incomplet."},
    };
    for (const DamageCase& row : rows) {
        SCOPED_TRACE(row.name);
        SealedUpdate fresh;
        row.damage(fresh);
        const InstallationState before = fresh.run.snapshot();
        EXPECT_EQ(fresh.run.run(), 3);
        ASSERT_EQ(fresh.run.runtime.messages.size(), 2u);
        const ShownMessage& box = fresh.run.runtime.messages[1];
        EXPECT_EQ(box.title, kFailureTitle);
        EXPECT_EQ(box.style, 16);
        EXPECT_EQ(box.text, row.text + kFetchAgain);
        EXPECT_EQ(fresh.run.snapshot(), before);
        EXPECT_TRUE(fs::exists(fresh.run.updateFolder / "setup.lst"));
        EXPECT_TRUE(fs::exists(fresh.run.updateFolder / "setup.sum"));
    }
}

TEST_F(SealedRun, FileRewrittenAfterTheSealIsReadIsRefusedAsItIsStaged) {
    const std::pair<const char*, std::string> rows[] = {
        {"same size", "new prograM"},
        {"larger: the copy stops one byte past the sealed size", std::string(1 << 20, 'x')},
    };
    for (const auto& [name, bytes] : rows) {
        SCOPED_TRACE(name);
        SealedUpdate fresh;
        const InstallationState before = fresh.run.snapshot();
        const std::string content = bytes;
        fresh.run.runtime.beforeFileChange = [&fresh, content](const std::wstring& call) {
            if (call.starts_with(L"stage ") && call.find(L"kelvane.exe") != std::wstring::npos)
                fresh.run.addUpdateFile("kelvane.exe", content);
        };
        EXPECT_EQ(fresh.run.run(), 3);
        EXPECT_EQ(fresh.run.runtime.messages.back().text,
                  L"Le fichier \u00AB kelvane.exe \u00BB de la mise \u00E0 jour est endommag\u00E9 ou "
                  L"incomplet." +
                      kFetchAgain);
        EXPECT_EQ(fresh.run.snapshot(), before);
        EXPECT_TRUE(fs::exists(fresh.run.updateFolder / "setup.sum")) << "kept to be fetched again";
    }
}

}  // namespace
}  // namespace setup::test
