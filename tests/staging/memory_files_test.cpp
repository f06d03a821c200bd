// The in-memory file system keeps what a power cut would keep: the engine's power-cut tests are only as
// good as this.
#include "tests/support/memory_files.h"

#include <gtest/gtest.h>

#include "platform/failure.h"

namespace setup::test {
namespace {

struct RenameRow {
    const char* name;
    std::vector<std::wstring> flushed;  // folders flushed after the rename
    MemoryTree afterCut;
    friend void PrintTo(const RenameRow& row, std::ostream* out) { *out << row.name; }
};

class RenameAcrossFolders : public ::testing::TestWithParam<RenameRow> {};

TEST_P(RenameAcrossFolders, IsDurableInEachFolderOnlyOnceThatFolderIsFlushed) {
    MemoryFiles files({{L"/from/f", "bytes"}, {L"/to", "<folder>"}});
    files.holdFolder(L"/");
    files.rename(L"/from/f", L"\\to\\g");
    files.flushFolders(GetParam().flushed);

    files.cutPower();

    MemoryTree expected{{L"/from", "<folder>"}, {L"/to", "<folder>"}};
    expected.insert(GetParam().afterCut.begin(), GetParam().afterCut.end());
    EXPECT_EQ(files.tree(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    MemoryFiles, RenameAcrossFolders,
    ::testing::Values(RenameRow{"NeitherFlushed", {}, {{L"/from/f", "bytes"}}},
                      RenameRow{"SourceFlushed", {L"/from"}, {}},
                      RenameRow{"TargetFlushed", {L"/to"}, {{L"/from/f", "bytes"}, {L"/to/g", "bytes"}}},
                      RenameRow{"BothFlushed", {L"/from", L"/to"}, {{L"/to/g", "bytes"}}}),
    [](const auto& info) { return info.param.name; });

TEST(MemoryFiles, PowerCutUndoesAnUnflushedRenameOverAFile) {
    MemoryFiles files({{L"/inst/a", "old"}});
    files.holdFolder(L"/inst");
    files.writeFile(L"/inst/a.new", "new");
    files.flushFiles({L"/inst/a.new"});
    files.rename(L"/inst/a.new", L"/inst/a");
    ASSERT_EQ(files.tree(), (MemoryTree{{L"/inst", "<folder>"}, {L"/inst/a", "new"}}));

    files.cutPower();

    EXPECT_EQ(files.tree(), (MemoryTree{{L"/inst", "<folder>"}, {L"/inst/a", "old"}}));
}

TEST(MemoryFiles, PowerCutKeepsOfANewFileOnlyWhatWasFlushed) {
    MemoryFiles files({{L"/inst", "<folder>"}});
    files.holdFolder(L"/inst");
    files.writeFile(L"/inst/entry-only", "lost bytes");
    files.writeFile(L"/inst/bytes-only", "bytes");
    files.flushFiles({L"/inst/bytes-only"});
    files.createFolder(L"/inst/a");
    files.createFolder(L"/inst/a/b");
    files.flushFolders({L"/inst"});
    files.writeFile(L"/inst/late", "late");

    files.cutPower();

    EXPECT_EQ(files.tree(), (MemoryTree{{L"/inst", "<folder>"},
                                        {L"/inst/a", "<folder>"},
                                        {L"/inst/bytes-only", "bytes"},
                                        {L"/inst/entry-only", ""}}));
}

TEST(MemoryFiles, FollowsLinksAsTheSystemDoes) {
    MemoryFiles files({{L"/inst/up", "<link> .."},
                       {L"/inst/abs", "<link> /other"},
                       {L"/other/Data.txt", "d"},
                       {L"/other/data.TXT", "e"},
                       {L"/victim.txt", "v"}});

    EXPECT_EQ(files.realPath(L"/inst/up/victim.txt"), L"/victim.txt");
    EXPECT_EQ(files.realPath(L"\\inst\\abs\\new\\x"), L"/other/new/x");
    EXPECT_EQ(files.realPath(L"/INST/Up/Victim.txt"), L"/victim.txt");
    EXPECT_EQ(files.kindOf(L"/inst/up"), NodeKind::Other);
    EXPECT_EQ(files.kindOf(L"/inst/up/inst"), NodeKind::Folder);
    EXPECT_EQ(files.readFile(L"/inst/up/victim.txt", 64), "v");
    EXPECT_EQ(files.spell(L"/INST/abs/data.txt"), L"/inst/abs/Data.txt") << "first in byte order";
    EXPECT_EQ(files.spell(L"/inst/abs/data.TXT/more"), L"/inst/abs/data.TXT/more") << "exact first";
}

TEST(MemoryFiles, MadeToFailTheNthCallOfAKindChangesNothing) {
    MemoryFiles files({{L"/inst/a", "a"}, {L"/inst/b", "b"}});
    files.holdFolder(L"/inst");
    files.failCall(L"rename", 2);
    files.rename(L"/inst/a", L"/inst/c");
    const MemoryTree before = files.tree();

    EXPECT_THROW(files.rename(L"/inst/b", L"/inst/d"), Failure);

    EXPECT_EQ(files.tree(), before);
    EXPECT_EQ(files.calls().back(), L"rename /inst/b -> /inst/d");
    files.rename(L"/inst/b", L"/inst/d");
}

}  // namespace
}  // namespace setup::test
