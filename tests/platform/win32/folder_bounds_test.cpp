// Folder bounds and file probes on the Windows file services, links included. The links are laid out on
// Linux before the tests run (arrange_links.sh), since Wine cannot make one itself.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/failure.h"
#include "platform/file_probe.h"
#include "platform/path_mapping.h"
#include "tests/support/temp_dir.h"

namespace setup::test {
namespace {

namespace fs = std::filesystem;

/// The folder arrange_links.sh laid out, given by ctest.
fs::path arrangedLinks() {
    const char* folder = std::getenv("SETUP_LINKS");
    return folder == nullptr ? fs::path() : fs::path(folder);
}

struct BoundsCase {
    const char* name;
    const wchar_t* relative;
    LastLink last;
    bool inside;
};

class FolderBounds : public ::testing::TestWithParam<BoundsCase> {};

TEST_P(FolderBounds, FollowsEveryLinkBelowTheFolder) {
    const fs::path links = arrangedLinks();
    ASSERT_FALSE(links.empty()) << "SETUP_LINKS names no folder: run through ctest";
    ASSERT_TRUE(fs::exists(links / "outside" / "keep.txt"));
    const BoundsCase& row = GetParam();
    EXPECT_EQ(resolvesInsideFolder((links / "update").wstring(), row.relative, row.last), row.inside);
}

const BoundsCase kBoundsCases[] = {
    {"MissingPartsCountAsInside", L"sub\\new\\x.txt", LastLink::Followed, true},
    {"LinkInsideTheFolder", L"inner\\a.txt", LastLink::Followed, true},
    {"FolderLinkOnTheWayOut", L"dl\\keep.txt", LastLink::Followed, false},
    {"FolderLinkOnTheWayOutEvenWhenTheLastIsKept", L"dl\\keep.txt", LastLink::Kept, false},
    {"FileLinkOutFollowed", L"link.txt", LastLink::Followed, false},
    {"FileLinkOutRemovedItself", L"link.txt", LastLink::Kept, true},
    {"FolderLinkOutRemovedItself", L"/dl", LastLink::Kept, true},
    {"NameWindowsCannotHoldNamesNothingYet", L"sub\\a|b.txt", LastLink::Followed, true},
    {"ParentFolderOutAsText", L"sub\\..\\..\\outside\\keep.txt", LastLink::Followed, false},
    {"ParentFolderBackInAsText", L"dl\\..\\sub\\a.txt", LastLink::Followed, true},
};

INSTANTIATE_TEST_SUITE_P(Win32, FolderBounds, ::testing::ValuesIn(kBoundsCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Win32FolderBounds, FolderReachedThroughALinkIsItsOwnBase) {
    const fs::path links = arrangedLinks();
    ASSERT_FALSE(links.empty()) << "SETUP_LINKS names no folder: run through ctest";
    EXPECT_TRUE(resolvesInsideFolder((links / "update" / "dl").wstring(), L"keep.txt", LastLink::Followed));
}

TEST(Win32FolderBounds, MissingFolderIsNoBase) {
    TempDir dir;
    EXPECT_FALSE(resolvesInsideFolder((dir / "gone").wstring(), L"a.txt", LastLink::Followed));
}

TEST(Win32FileProbe, FolderOrLinkToOne) {
    TempDir dir;
    writeFile(dir / "a.txt", "a");
    const fs::path links = arrangedLinks();
    ASSERT_FALSE(links.empty()) << "SETUP_LINKS names no folder: run through ctest";
    EXPECT_TRUE(isExistingFolder(dir.path()));
    EXPECT_TRUE(isExistingFolder(links / "update" / "dl"));
    EXPECT_FALSE(isExistingFolder(dir / "a.txt"));
    EXPECT_FALSE(isExistingFolder(dir / "gone"));
    EXPECT_FALSE(isExistingFolder(links / "update" / "dangling"));
    EXPECT_FALSE(isExistingFolder(L"NUL"));
}

TEST(Win32FileProbe, OpensOnlyARegularFile) {
    TempDir dir;
    writeFile(dir / "a.txt", "a");
    EXPECT_NO_THROW(openAndClose(dir / "a.txt"));
    EXPECT_NO_THROW(openAndClose(arrangedLinks() / "update" / "link.txt"));
    EXPECT_THROW(openAndClose(dir.path()), Failure);
    EXPECT_THROW(openAndClose(dir / "gone"), Failure);
    EXPECT_THROW(openAndClose(L"NUL"), Failure);
}

}  // namespace
}  // namespace setup::test
