// File names that Windows cannot hold ("|", spaces at the end of a name, two names differing only by
// letter case), which the update and the cleanup must still tell apart.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run/cleanup.h"
#include "tests/support/update_run.h"

namespace setup::test {
namespace {

TEST(CleanupAndExit, DeletesTheFilesThatFileEntriesAndStampsName) {
    UpdateRun run;
    run.writeList(
        std::wstring(L";Titre\r\n!Attention\r\n\u00A71.0|2.0\r\n@kelvane.exe\r\n#3.1\r\n"
                     L"a.txt,sub\\b.txt\r\n\"  c.txt  \"\r\nd.txt  \r\n"));
    for (const char* name : {";Titre", "!Attention", "@kelvane.exe", "#3.1", "a.txt", "sub/b.txt", "c.txt",
                             "  c.txt  ", "d.txt", "d.txt  "}) {
        run.addUpdateFile(name, "x");
    }
    run.addUpdateFile(ansi(L"\u00A71.0|2.0"), "x");
    run.state.exitStatus = ExitStatus::Applied;

    EXPECT_EQ(run.cleanup(), 0);

    // Directive files stay; the entries are deleted as read, without the spaces at their end.
    EXPECT_EQ(run.filesInUpdateFolder(),
              (std::vector<std::string>{"  c.txt  ", "!Attention", ";Titre", "@kelvane.exe", "c.txt",
                                        "d.txt  ", ansi(L"\u00A71.0|2.0")}));
}

TEST(UpdateRun, TwoInstalledFilesDifferingByCaseAreUpdatedEachFromItsOwnEntry) {
    UpdateRun run;
    run.registerProduct("2.0");
    run.addInstalledFile("A.txt", "old upper");
    run.addInstalledFile("a.txt", "old lower");
    run.addUpdateFile("A.txt", "new upper");
    run.addUpdateFile("a.txt", "new lower");
    run.writeList(std::wstring(L"A.txt\r\na.txt\r\n"));

    EXPECT_EQ(run.run(), 0);

    EXPECT_EQ(readFile(run.installation / "A.txt"), "new upper");
    EXPECT_EQ(readFile(run.installation / "a.txt"), "new lower");
}

}  // namespace
}  // namespace setup::test
