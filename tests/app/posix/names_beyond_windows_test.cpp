// File names that Windows cannot hold ("|", spaces at the end of a name), which the cleanup must still
// tell apart from the entries that name them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/cleanup.h"
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

}  // namespace
}  // namespace setup::test
