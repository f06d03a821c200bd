#pragma once
// The update every all-or-nothing test runs, and what a complete run of it leaves.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run/messages.h"
#include "platform/text_codec.h"
#include "tests/support/update_run.h"

namespace setup::test {

inline const std::wstring kList =
    L"kelvane.exe\r\naide.txt\r\nmodules\\calcul.dll\r\n#3.1\r\n#1.5[Outils]\r\n";
inline const ShownMessage kFailure{
    L"La mise \u00E0 jour du logiciel Kelvane ne semble pas s'\u00EAtre d\u00E9roul\u00E9e normalement. "
    L"Veuillez recommencer",
    L"Erreur: Mise \u00E0 jour non termin\u00E9e", 16};
inline const ShownMessage kRecovered{kRecoveredText, kRecoveredTitle, 64};

/// Kelvane 2.0 with one installed file, and an update that replaces it, adds a file and adds a file in a
/// new folder, then stamps two versions.
inline void layOut(UpdateRun& run, const std::wstring& list = kList) {
    run.registerProduct("2.0");
    run.addInstalledFile("kelvane.exe", "old program");
    run.addInstalledFile("lisez-moi.txt", "untouched");
    run.addUpdateFile("kelvane.exe", "new program");
    run.addUpdateFile("aide.txt", "aide");
    run.addUpdateFile("modules/calcul.dll", "calcul");
    run.writeList(list);
}

/// The installation and registry a complete run of kList leaves, less the owners and modes of new files.
inline void expectUpdated(const UpdateRun& run) {
    const Tree tree = snapshotTree(run.installation);
    std::vector<std::string> names;
    for (const auto& [name, content] : tree)
        names.push_back(name + " " + content.substr(0, content.find('|')));
    EXPECT_EQ(names,
              (std::vector<std::string>{"aide.txt aide", "kelvane.exe new program", "lisez-moi.txt untouched",
                                        "modules <folder>", "modules/calcul.dll calcul"}));
    EXPECT_EQ(run.registryText(), "[Kelvane]\r\nPath=" + run.installation.string() +
                                      "\r\nVersion=3.1\r\n[Outils]\r\nVersion=1.5\r\n");
    EXPECT_EQ(snapshotTree(run.windowsFolder).size(), 1u) << "the registry alone, no temporary file";
}

}  // namespace setup::test
