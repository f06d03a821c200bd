// A journal the program did not write, or one that would lead it out of the installation, is refused as a
// whole at the start, and nothing anywhere changes.
#include <gtest/gtest.h>

#include <string>

#include "staging/staged_update.h"
#include "tests/support/memory_files.h"

namespace setup::test {
namespace {

/// An installation with a link that climbs out of it, beside files an attacker would like it to touch.
const MemoryTree kTree{
    {L"/inst/kelvane.exe", "kelvane"},
    {L"/inst/lisez-moi.txt", "lisez-moi"},
    {L"/inst/lisez-moi.txt.setup-new", "staged"},
    {L"/inst/up", "<link> .."},
    {L"/inst/sub", "<folder>"},
    {L"/inst/sub/notes.txt", "notes"},
    {L"/inst/alias", "<link> sub"},
    {L"/inst/aside.txt", "aside"},
    {L"/inst/aside.txt.setup-old", "<link> ../outside/victim.txt"},
    {L"/outside/victim.txt", "victim"},
    {L"/outside/victim.txt.setup-new", "planted"},
    {L"/outside/victim.txt.setup-old", "planted aside"},
    {L"/outside/emptydir", "<folder>"},
    {L"/victim.txt", "victim at the top"},
    {L"/victim.txt.setup-new", "planted"},
    {L"/victim.txt.setup-old", "planted aside"},
};
const MemoryValues kValues{{{L"Kelvane", L"Version"}, L"3.1"}};

/// A journal of the program's own making up to `lines`, preceded by lines it would act on.
std::string journalWith(const std::string& lines) {
    const std::string empty = formatJournal(Journal{L"run-1", 7, {}, {}, {}});
    return empty.substr(0, empty.size() - 4) + "value\tKelvane\tVersion\t3.0\n" +
           "new\tlisez-moi.txt\tlisez-moi.txt.setup-new\n" + lines + "end\n";
}

struct HostileRow {
    const char* name;
    std::string text;
    const wchar_t* journalName = kJournalName;
    friend void PrintTo(const HostileRow& row, std::ostream* out) { *out << row.name; }
};

class HostileJournal : public ::testing::TestWithParam<HostileRow> {};

TEST_P(HostileJournal, IsRejectedAndChangesNothing) {
    MemoryFiles files(kTree, kValues);
    files.layOut({{std::wstring(L"/inst/") + GetParam().journalName, GetParam().text}});
    const MemoryTree before = files.tree();

    EXPECT_THROW(recoverInterruptedUpdate(files, files, L"/inst"), RejectedJournal);

    EXPECT_EQ(files.tree(), before);
    EXPECT_EQ(files.values(), kValues);
    EXPECT_EQ(files.changeCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Recovery, HostileJournal,
    ::testing::Values(
        HostileRow{"NewFileClimbingOut",
                   journalWith("new\t../outside/victim.txt\t../outside/victim.txt.setup-new\n")},
        HostileRow{"FolderClimbingOut", journalWith("folder\t../outside/emptydir\n")},
        HostileRow{"AbsolutePath", journalWith("new\t/outside/victim.txt\t/outside/victim.txt.setup-new\n")},
        HostileRow{"DrivePath", journalWith("new\tC:/victim.txt\tC:/victim.txt.setup-new\n")},
        HostileRow{"StagedNameNotTheProgramsOwn", journalWith("new\tlisez-moi.txt\tkelvane.exe\n")},
        HostileRow{"NewFileThroughALinkOut", journalWith("new\tup/victim.txt\tup/victim.txt.setup-new\n")},
        HostileRow{"ReplacedFileThroughALinkOut",
                   journalWith("replace\tup/outside/victim.txt\tup/outside/victim.txt.setup-new\t"
                               "up/outside/victim.txt.setup-old\n")},
        HostileRow{"FolderThroughALinkOut", journalWith("folder\tup/outside/emptydir\n")},
        HostileRow{"Garbage", "garbage\n\xff\xfe\n"},
        HostileRow{"JournalIsALinkOut", "<link> ../outside/victim.txt"},
        HostileRow{"FinalJournalClimbingOut",
                   journalWith("new\t../outside/victim.txt\t../outside/victim.txt.setup-new\n"),
                   kFinalJournalName},
        HostileRow{"FinalJournalThroughALinkOut",
                   journalWith("new\tup/victim.txt\tup/victim.txt.setup-new\n"), kFinalJournalName},
        HostileRow{"ValueOfWhereTheProductLives", journalWith("value\tKelvane\tPath\t/outside\n")},
        HostileRow{"ValueOfAnotherKey", journalWith("value\tOther\tEvil\t1\n")},
        HostileRow{"RemovalOfAnotherKey", journalWith("novalue\tKelvane\tPath\n")},
        HostileRow{"PathWithDotDotInside",
                   journalWith("new\tsub/../notes.txt\tsub/../notes.txt.setup-new\n")},
        HostileRow{"FolderThatIsALinkInside", journalWith("folder\talias\n")},
        HostileRow{"FinalJournalCutShort", "Kelvane update journal 2\nrun\trun-1\n", kFinalJournalName},
        HostileRow{"AsideNameThatIsALinkOut",
                   journalWith("replace\taside.txt\taside.txt.setup-new\taside.txt.setup-old\n")},
        HostileRow{"TrustFileBelowTheTop",
                   journalWith("new\tsub/.setup-trust\tsub/.setup-trust.setup-new\n")},
        HostileRow{"LargerThanAnyRun", journalWith(std::string(kJournalLimit, '#'))}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace setup::test
