// Whole runs of the update on temporary folders, from the main window's load to the end of the program.
#include "tests/support/update_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/text_codec.h"
#include "registry/product_registry.h"
#include "run/messages.h"
#include "tests/app/update_run_fixture.h"

namespace setup::test {
namespace {

namespace fs = std::filesystem;

TEST_F(UpdateRunTest, NormalUpdateCopiesStampsAndEmptiesTheUpdateFolder) {
    run.writeList(
        std::wstring(L";Mise \u00E0 jour Kelvane 3.1\r\n"
                     L"!Fermez Kelvane avant de continuer\r\n"
                     L"\u00A71.5|2.5\r\n"
                     L"@kelvane.exe\r\n"
                     L"kelvane.exe,aide.txt\r\n"
                     L"modules\\calcul.dll\r\n"
                     L"#3.1\r\n"
                     L"#1.5[Outils]\r\n"));

    EXPECT_EQ(run.run(), 0);

    EXPECT_EQ(run.runtime.messages,
              (std::vector<ShownMessage>{warning(L"Fermez Kelvane avant de continuer"),
                                         confirmation(L"Mise \u00E0 jour Kelvane 3.1")}));
    EXPECT_EQ(installed(run, "kelvane.exe"), "new program");
    EXPECT_EQ(installed(run, "aide.txt"), "aide");
    EXPECT_EQ(installed(run, "modules/calcul.dll"), "calcul");
    EXPECT_EQ(run.registryText(), "[Kelvane]\r\nPath=" + run.installation.string() +
                                      "\r\nVersion=3.1\r\n[Outils]\r\nVersion=1.5\r\n");
    EXPECT_TRUE(run.filesInUpdateFolder().empty());
    EXPECT_EQ(run.form1.events,
              (std::vector<std::wstring>{L"caption Mise \u00E0 jour Kelvane 3.1", L"maximise", L"show",
                                         L"paint Mise \u00E0 jour Kelvane 3.1", L"show",
                                         L"paint Mise \u00E0 jour Kelvane 3.1", L"show", L"unload"}));
    // Only the three file entries are counted: the bar and the percentage reach the end together.
    EXPECT_EQ(run.form2.percents, (std::vector<std::wstring>{L"33%", L"67%", L"100%", L"100%"}));
    EXPECT_EQ(run.form2.statuses,
              (std::vector<std::wstring>{L"Copie de : kelvane.exe", L"Copie de : aide.txt",
                                         L"Copie de : modules\\calcul.dll",
                                         L"Mise \u00E0 jour effectu\u00E9e avec succ\u00E8s"}));
    EXPECT_EQ(run.runtime.mostFilesOpen, 2) << "the list, and the required file while it is checked";
}

TEST_F(UpdateRunTest, ChecksThatRefuseTheUpdate) {
    struct Row {
        const char* name;
        std::string installedVersion;
        std::wstring list;
        ShownMessage message;
    };
    const Row rows[] = {
        {"lower bound above the installed version", "2.0", L"\u00A72.5|3.0\r\nkelvane.exe\r\n",
         lowerBound(L"2.0", L"2.5")},
        {"upper bound below the installed version", "2.0", L"\u00A71.0|1.9\r\nkelvane.exe\r\n",
         upperBound(L"2.0", L"1.9")},
        {"2.10 reads as 2.1, below 2.2", "2.10", L"\u00A72.2|2.9\r\nkelvane.exe\r\n",
         lowerBound(L"2.10", L"2.2")},
        {"the lower bound is shown as written", "2.0", L"\u00A7 2.5\r\nkelvane.exe\r\n",
         lowerBound(L"2.0", L" 2.5")},
        {"no recorded version counts as 0", "", L"\u00A71.0\r\nkelvane.exe\r\n", lowerBound(L"", L"1.0")},
        {"required file missing", "2.0", L"@bin\\absent.dll\r\nkelvane.exe\r\n", missingFiles()},
        {"required file with nothing after the marker", "2.0", L"@\r\nkelvane.exe\r\n", missingFiles()},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        UpdateRun fresh;
        fresh.registerProduct(row.installedVersion);
        fresh.addInstalledFile("kelvane.exe", "old program");
        fresh.addUpdateFile("kelvane.exe", "new program");
        fresh.writeList(row.list);

        EXPECT_EQ(fresh.run(), 2);

        EXPECT_EQ(fresh.runtime.messages, std::vector<ShownMessage>{row.message});
        EXPECT_EQ(installed(fresh, "kelvane.exe"), "old program");
        EXPECT_TRUE(fresh.runtime.copies.empty());
        EXPECT_TRUE(fresh.filesInUpdateFolder().empty());
    }
}

TEST_F(UpdateRunTest, RangesThatLetTheUpdateThrough) {
    for (const std::wstring range : {L"\u00A72.0|3.0", L"\u00A71.5|2.0", L"\u00A72.0", L"\u00A71.0|",
                                     L"\u00A71.0|2.0[Kelvane]", L"\u00A72|2.00"}) {
        SCOPED_TRACE(std::string(range.begin() + 1, range.end()));
        UpdateRun fresh;
        fresh.registerProduct("2.0");
        fresh.addUpdateFile("kelvane.exe", "new program");
        fresh.writeList(range + L"\r\nkelvane.exe\r\n");

        EXPECT_EQ(fresh.run(), 0);

        EXPECT_EQ(fresh.runtime.messages, std::vector<ShownMessage>{confirmation(kDefaultTitle)});
        EXPECT_EQ(installed(fresh, "kelvane.exe"), "new program");
    }
}

TEST_F(UpdateRunTest, ProductNotInstalled) {
    struct Row {
        const char* name;
        std::string registry;
    };
    const std::string gone = (run.root / "gone" / "Kelvane").string();
    const std::string file = (run.root / "kelvane.txt").string();
    const Row rows[] = {
        {"no section for Kelvane", "[Autre]\r\nPath=/opt/autre\r\n"},
        {"a Path whose folder is gone", "[Kelvane]\r\nPath=" + gone + "\r\nVersion=2.0\r\n"},
        {"a Path naming a file", "[Kelvane]\r\nPath=" + file + "\\\r\nVersion=2.0\r\n"},
    };
    writeFile(file, "not a folder");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        UpdateRun fresh;
        writeFile(fresh.windowsFolder / "Tamreg.reg", row.registry);
        fresh.addUpdateFile("kelvane.exe", "new program");
        fresh.addUpdateFile("aide.txt", "aide");
        fresh.writeList(std::wstring(L";Titre\r\nkelvane.exe\r\n#3.1\r\n"));

        EXPECT_EQ(fresh.run(), 2);

        EXPECT_EQ(fresh.runtime.messages, std::vector<ShownMessage>{notInstalled()});
        EXPECT_EQ(fresh.form1.events, (std::vector<std::wstring>{L"caption Titre", L"maximise", L"show",
                                                                 L"paint Titre", L"unload"}));
        EXPECT_TRUE(fresh.runtime.copies.empty());
        EXPECT_FALSE(fs::exists(run.root / "gone")) << "nothing is created";
        EXPECT_EQ(fresh.registryText(), row.registry) << "no version is recorded";
        EXPECT_EQ(fresh.filesInUpdateFolder(), std::vector<std::string>{"aide.txt"})
            << "what the list names is deleted, the rest stays";
    }
}

TEST_F(UpdateRunTest, ListMissing) {
    EXPECT_EQ(run.run(), 3);

    EXPECT_EQ(run.runtime.messages, std::vector<ShownMessage>{failure()});
    EXPECT_EQ(run.form1.events, std::vector<std::wstring>{L"unload"}) << "the main window is never shown";
    EXPECT_EQ(installed(run, "kelvane.exe"), "old program");
}

TEST_F(UpdateRunTest, Warnings) {
    struct Row {
        const char* name;
        std::wstring list;
        std::vector<ShownMessage> messages;
        int exitStatus;
    };
    const Row rows[] = {
        {"the last entry is shown twice",
         L"kelvane.exe\r\n!Sauvegardez vos donn\u00E9es\r\n",
         {warning(L"Sauvegardez vos donn\u00E9es"), warning(L"Sauvegardez vos donn\u00E9es"),
          confirmation(kDefaultTitle)},
         0},
        {"a quoted warning keeps its comma",
         L"\"!Attention, fermez Kelvane\"\r\nkelvane.exe\r\n",
         {warning(L"Attention, fermez Kelvane"), confirmation(kDefaultTitle)},
         0},
        {"an unquoted warning's tail is a file entry whose copy fails",
         L"!Attention, fermez Kelvane\r\nkelvane.exe\r\n",
         {warning(L"Attention"), confirmation(kDefaultTitle), failure()},
         3},
        {"a warning with no text", L"!\r\nkelvane.exe\r\n", {warning(L""), confirmation(kDefaultTitle)}, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        UpdateRun fresh;
        fresh.registerProduct("2.0");
        fresh.addUpdateFile("kelvane.exe", "new program");
        fresh.writeList(row.list);

        EXPECT_EQ(fresh.run(), row.exitStatus);

        EXPECT_EQ(fresh.runtime.messages, row.messages);
        EXPECT_EQ(fresh.filesInUpdateFolder().empty(), row.exitStatus == 0);
    }
}

TEST_F(UpdateRunTest, Captions) {
    struct Row {
        const char* name;
        std::wstring list;
        std::wstring caption;
    };
    const Row rows[] = {
        {"space after the marker stays", L"; Titre\r\n", L" Titre"},
        {"marker alone gives an empty caption", L";\r\n", L""},
        {"title after other entries, later remarks ignored", L"a.txt\r\n  ;Titre\r\n;Autre\r\n", L"Titre"},
        {"no title entry", L"a.txt\r\n", kDefaultTitle},
        {"no entry at all", L"", kDefaultTitle},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        UpdateRun fresh;
        fresh.registerProduct("2.0");
        fresh.addUpdateFile("a.txt", "a");
        fresh.writeList(row.list);
        fresh.runtime.answers = {box::kCancel};

        EXPECT_EQ(fresh.run(), 1);

        EXPECT_EQ(fresh.form1.caption(), row.caption);
        EXPECT_EQ(fresh.runtime.messages, std::vector<ShownMessage>{confirmation(row.caption)});
    }
}

TEST_F(UpdateRunTest, CancelAtTheConfirmation) {
    run.writeList(std::wstring(L"kelvane.exe\r\naide.txt\r\nmodules\\calcul.dll\r\n#3.1\r\n"));
    run.runtime.answers = {box::kCancel};

    EXPECT_EQ(run.run(), 1);

    EXPECT_EQ(run.form2.loads, 0);
    EXPECT_TRUE(run.runtime.copies.empty());
    EXPECT_EQ(installed(run, "kelvane.exe"), "old program");
    EXPECT_EQ(run.registryText().find("3.1"), std::string::npos);
    EXPECT_TRUE(run.filesInUpdateFolder().empty());
}

TEST_F(UpdateRunTest, CancelDuringTheCopy) {
    struct Row {
        const char* name;
        int pendingPoint;  // 1: before the progress window, 2: start of the copy, 3: end of the copy
        std::vector<int> answers;
        int exitStatus;
        const char* program;
        bool stamped;
    };
    const Row rows[] = {
        {"Yes before anything is copied", 2, {box::kOk, box::kYes}, 1, "old program", false},
        {"Yes once every file is copied: nothing changed", 3, {box::kOk, box::kYes}, 1, "old program", false},
        {"No, then the update completes", 2, {box::kOk, box::kNo}, 0, "new program", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        UpdateRun fresh;
        fresh.registerProduct("2.0");
        fresh.addInstalledFile("kelvane.exe", "old program");
        fresh.addUpdateFile("kelvane.exe", "new program");
        fresh.writeList(std::wstring(L"kelvane.exe\r\n#3.1\r\n"));
        fresh.runtime.answers.assign(row.answers.begin(), row.answers.end());
        fresh.runtime.atPendingPoint[row.pendingPoint] = [&fresh] { fresh.form2.press(); };

        EXPECT_EQ(fresh.run(), row.exitStatus);

        EXPECT_EQ(fresh.runtime.messages,
                  (std::vector<ShownMessage>{confirmation(kDefaultTitle), cancelQuestion()}));
        EXPECT_EQ(installed(fresh, "kelvane.exe"), row.program);
        EXPECT_EQ(fresh.registryText().find("Version=3.1") != std::string::npos, row.stamped);
        EXPECT_TRUE(fresh.filesInUpdateFolder().empty());
        EXPECT_FALSE(fresh.form2.loaded());
    }
}

TEST_F(UpdateRunTest, MissingSourceUndoesEarlierCopiesAndKeepsThePreviousTarget) {
    run.addInstalledFile("absent.dll", "previous");
    run.writeList(std::wstring(L"aide.txt\r\nabsent.dll\r\nkelvane.exe\r\n#3.1\r\n"));

    EXPECT_EQ(run.run(), 3);

    EXPECT_EQ(run.runtime.messages, (std::vector<ShownMessage>{confirmation(kDefaultTitle), failure()}));
    EXPECT_EQ(installed(run, "aide.txt"), "<absent>");
    EXPECT_EQ(installed(run, "absent.dll"), "previous");
    EXPECT_EQ(installed(run, "kelvane.exe"), "old program");
    EXPECT_EQ(run.registryText().find("3.1"), std::string::npos);
    EXPECT_EQ(run.filesInUpdateFolder(),
              (std::vector<std::string>{"aide.txt", "kelvane.exe", "modules/calcul.dll", "setup.lst"}))
        << "kept whole, to be started again";
    EXPECT_EQ(snapshotTree(run.installation).size(), 2u) << "no staged file left";
}

TEST_F(UpdateRunTest, EntryLeavingTheFoldersRefusesTheWholeUpdateBeforeAnyCopy) {
    struct Row {
        const char* name;
        std::wstring entry;
    };
    const Row rows[] = {
        {"a parent folder", L"..\\outside\\keep.txt"},
        {"a drive letter", L"C:\\keep.txt"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        UpdateRun fresh;
        fresh.registerProduct("2.0");
        fresh.addUpdateFile("aide.txt", "aide");
        writeFile(fresh.root / "outside" / "keep.txt", "keep");
        fresh.writeList(L"aide.txt\r\n" + row.entry + L"\r\n");

        EXPECT_EQ(fresh.run(), 3);

        EXPECT_EQ(fresh.runtime.messages,
                  (std::vector<ShownMessage>{confirmation(kDefaultTitle), failure()}));
        EXPECT_TRUE(fresh.runtime.copies.empty()) << "the plan refuses the update before the first copy";
        EXPECT_EQ(installed(fresh, "aide.txt"), "<absent>");
        EXPECT_EQ(readFile(fresh.root / "outside" / "keep.txt"), "keep");
    }
}

TEST_F(UpdateRunTest, UpdateFolderInsideTheInstallationIsRefusedAndKept) {
    // The registry names the folder that holds the update folder: the cleanup would delete installed files.
    writeFile(run.windowsFolder / "Tamreg.reg",
              "[Kelvane]\r\nPath=" + run.root.path().string() + "\r\nVersion=2.0\r\n");
    run.writeList(std::wstring(L"kelvane.exe\r\naide.txt\r\n#3.1\r\n"));
    const std::vector<std::string> shipped = run.filesInUpdateFolder();

    EXPECT_EQ(run.run(), 3);

    const BoxMessage refusal = updateInsideInstallationMessage();
    EXPECT_EQ(run.runtime.messages,
              (std::vector<ShownMessage>{confirmation(kDefaultTitle),
                                         {refusal.text, refusal.title, refusal.style}}));
    EXPECT_EQ(run.filesInUpdateFolder(), shipped) << "the update folder is kept whole";
    EXPECT_TRUE(run.runtime.copies.empty());
    EXPECT_EQ(installed(run, "kelvane.exe"), "old program");
}

TEST_F(UpdateRunTest, ReplacedFileKeepsItsInstalledSpelling) {
    run.addUpdateFile("KELVANE.EXE", "new program");
    run.addUpdateFile("MODULES/CALCUL.DLL", "calcul");
    run.writeList(std::wstring(L"KELVANE.EXE\r\nmodules\\calcul.dll\r\nMODULES\\CALCUL.DLL\r\n"));

    EXPECT_EQ(run.run(), 0);

    std::vector<std::string> names;
    for (const auto& [name, content] : snapshotTree(run.installation)) names.push_back(name);
    // As a copy over the installed file would keep it; a file new to the installation keeps its first
    // entry's spelling, which a later entry in other letters finds.
    EXPECT_EQ(names, (std::vector<std::string>{"kelvane.exe", "modules", "modules/calcul.dll"}));
    EXPECT_EQ(installed(run, "kelvane.exe"), "new program");
}

TEST_F(UpdateRunTest, SpacesAtTheEndAndEmptyEntriesChangeNothing) {
    struct Row {
        const char* name;
        std::wstring list;
        const char* toolsVersion;  ///< the version of [Outils] after the run
    };
    const Row rows[] = {
        {"a range with spaces after its section", L"\u00A72.0|2.9[Outils] \r\na.txt\r\n", "2.5"},
        {"a stamp with spaces after its section", L"a.txt\r\n#3.1[Outils] \r\n", "3.1"},
        {"a required file with spaces after it", L"@kelvane.bin \r\na.txt\r\n", "2.5"},
        {"a file with spaces after it, deleted by the cleanup", L"a.txt   \r\n", "2.5"},
        {"a blank line, a comma at the end of a line and an entry of spaces", L"a.txt,\r\n\r\n   \r\n",
         "2.5"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        UpdateRun fresh;
        writeFile(fresh.windowsFolder / "Tamreg.reg", "[Kelvane]\r\nPath=" + fresh.installation.string() +
                                                          "\r\nVersion=2.0\r\n[Outils]\r\nVersion=2.5\r\n");
        fresh.addInstalledFile("kelvane.bin", "program");
        fresh.addUpdateFile("a.txt", "a");
        fresh.writeList(row.list);

        EXPECT_EQ(fresh.run(), 0);

        EXPECT_EQ(fresh.runtime.messages, std::vector<ShownMessage>{confirmation(kDefaultTitle)});
        EXPECT_EQ(fresh.runtime.copies.size(), 1u);
        EXPECT_EQ(installed(fresh, "a.txt"), "a");
        EXPECT_EQ(ReadProfileValue(kRegistryReadName, L"Outils", L"Version"), fromUtf8(row.toolsVersion));
        EXPECT_TRUE(fresh.filesInUpdateFolder().empty());
    }
}

TEST_F(UpdateRunTest, LeadingSeparatorNamesTheUpdateFolderAndTheInstallation) {
    run.writeList(std::wstring(L"\\modules\\calcul.dll\r\n/aide.txt\r\n"));

    EXPECT_EQ(run.run(), 0);

    EXPECT_EQ(installed(run, "modules/calcul.dll"), "calcul");
    EXPECT_EQ(installed(run, "aide.txt"), "aide");
    EXPECT_EQ(run.filesInUpdateFolder(), std::vector<std::string>{"kelvane.exe"});
}

TEST_F(UpdateRunTest, ProgressCountsWhatTheCopyCopiesAndFinishesFull) {
    struct Row {
        const char* name;
        std::wstring list;
        std::vector<std::wstring> percents;  ///< the last one is the finished window's
        std::vector<float> barWidths;        ///< the last one is the finished window's
    };
    const Row rows[] = {
        {"three files",
         L"kelvane.exe\r\naide.txt\r\nmodules\\calcul.dll\r\n",
         {L"33%", L"67%", L"100%", L"100%"},
         {0.0f, 2030.0f, 4060.0f, 6090.0f, 6090.0f}},
        {"a range, a required file and stamps count for nothing",
         L"\u00A71.0|3.0\r\n@kelvane.exe\r\n#3.1\r\nkelvane.exe\r\naide.txt\r\n#1.0[Outils]\r\n",
         {L"50%", L"100%", L"100%"},
         {0.0f, 3045.0f, 6090.0f, 6090.0f}},
        {"empty entries count for nothing",
         L"kelvane.exe,\r\n\r\n   \r\n,aide.txt\r\n",
         {L"50%", L"100%", L"100%"},
         {0.0f, 3045.0f, 6090.0f, 6090.0f}},
        {"a stamp alone", L"#3.1\r\n", {L"100%"}, {6090.0f}},
        {"nothing countable", L";Titre\r\n!Attention\r\n", {L"100%"}, {6090.0f}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        UpdateRun fresh;
        fresh.registerProduct("2.0");
        fresh.addInstalledFile("kelvane.exe", "old program");
        fresh.addUpdateFile("kelvane.exe", "new program");
        fresh.addUpdateFile("aide.txt", "aide");
        fresh.addUpdateFile("modules/calcul.dll", "calcul");
        fresh.writeList(row.list);

        EXPECT_EQ(fresh.run(), 0);

        EXPECT_EQ(fresh.form2.percents, row.percents);
        EXPECT_EQ(fresh.form2.barWidths, row.barWidths);
        EXPECT_EQ(fresh.form2.statuses.back(), L"Mise \u00E0 jour effectu\u00E9e avec succ\u00E8s");
    }
}

TEST_F(UpdateRunTest, LabelsAreRepaintedBeforeEachCopy) {
    run.writeList(std::wstring(L"aide.txt\r\n"));
    EXPECT_EQ(run.run(), 0);
    EXPECT_EQ(run.form2.events,
              (std::vector<std::wstring>{L"load", L"show", L"activate", L"repaint percent", L"repaint status",
                                         L"button &Terminer", L"press", L"unload"}));
}

TEST_F(UpdateRunTest, ActivationsWhileCopyingAndAfterTheEndCopyNothingTwice) {
    run.writeList(std::wstring(L"aide.txt\r\nkelvane.exe\r\n"));
    run.runtime.atPendingPoint[2] = [this] { run.form2.activate(); };
    run.form2.extraActivations = 1;

    EXPECT_EQ(run.run(), 0);

    EXPECT_EQ(run.runtime.copies.size(), 2u);
    // Each activation after the copy shows the finished window again, with its full percentage.
    EXPECT_EQ(run.form2.percents, (std::vector<std::wstring>{L"50%", L"100%", L"100%", L"100%"}));
}

TEST_F(UpdateRunTest, MalformedDirectivesTakeTheFailureBranch) {
    for (const std::wstring list : {L"\u00A7[\r\nkelvane.exe\r\n", L"kelvane.exe\r\n#3.1[\r\n"}) {
        UpdateRun fresh;
        fresh.registerProduct("2.0");
        fresh.addUpdateFile("kelvane.exe", "new program");
        fresh.writeList(list);

        EXPECT_EQ(fresh.run(), 3);

        EXPECT_EQ(fresh.runtime.messages.back(), failure());
        EXPECT_EQ(fresh.filesInUpdateFolder(), (std::vector<std::string>{"kelvane.exe", "setup.lst"}));
    }
}

TEST_F(UpdateRunTest, MoreCountableEntriesThanSixteenBitsHold) {
    std::string list;
    for (int i = 0; i < 32768; ++i) list += "kelvane.exe\r\n";
    run.writeList(list);

    EXPECT_EQ(run.run(), 3);

    EXPECT_EQ(run.runtime.messages, (std::vector<ShownMessage>{confirmation(kDefaultTitle), failure()}));
    EXPECT_TRUE(run.runtime.copies.empty());
    EXPECT_EQ(installed(run, "kelvane.exe"), "old program");
    EXPECT_TRUE(fs::exists(run.updateFolder / "setup.lst"));
}

}  // namespace
}  // namespace setup::test
