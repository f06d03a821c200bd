#include "platform/file_io.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <set>
#include <string>

#include "platform/failure.h"
#include "tests/support/temp_dir.h"

namespace setup::test {
namespace {

namespace fs = std::filesystem;

std::set<std::string> namesIn(const fs::path& directory) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory))
        names.insert(entry.path().filename().string());
    return names;
}

TEST(ReadWholeFile, ReadsEveryByte) {
    TempDir dir;
    std::string bytes(200000, 'x');
    bytes[7] = '\0';
    bytes.back() = '\xFF';
    writeFile(dir / "big.bin", bytes);
    EXPECT_EQ(readWholeFile(dir / "big.bin"), bytes);
}

TEST(ReadWholeFile, RefusesWhatIsNoReadableRegularFile) {
    TempDir dir;
    fs::create_directory(dir / "folder");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    EXPECT_THROW(readWholeFile(dir / "missing"), Failure);
    EXPECT_THROW(readWholeFile(dir / "folder"), Failure);
    EXPECT_THROW(readWholeFile(dir / "fifo"), Failure);  // and does not wait for a writer
}

TEST(ReplaceFileAtomically, CreatesTheFileAndItsFolders) {
    TempDir dir;
    replaceFileAtomically(dir / "a" / "b" / "TamReg.reg", "[Kelvane]\r\n");
    EXPECT_EQ(readFile(dir / "a" / "b" / "TamReg.reg"), "[Kelvane]\r\n");
    EXPECT_EQ(namesIn(dir / "a" / "b"), std::set<std::string>{"TamReg.reg"});
}

TEST(ReplaceFileAtomically, ReplacesTheContentAndKeepsTheMode) {
    TempDir dir;
    writeFile(dir / "f.reg", "old old old");
    fs::permissions(dir / "f.reg", fs::perms(0640));
    replaceFileAtomically(dir / "f.reg", "new");
    EXPECT_EQ(readFile(dir / "f.reg"), "new");
    EXPECT_EQ(fs::status(dir / "f.reg").permissions(), fs::perms(0640));
    EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"f.reg"});
}

TEST(ReplaceFileAtomically, ANewFileIsNotPrivate) {
    TempDir dir;
    const mode_t mask = ::umask(022);
    replaceFileAtomically(dir / "f.reg", "x");
    ::umask(mask);
    EXPECT_EQ(fs::status(dir / "f.reg").permissions(), fs::perms(0644));
}

TEST(ReplaceFileAtomically, WritesThroughALinkAndKeepsIt) {
    TempDir dir;
    writeFile(dir / "real.reg", "old");
    fs::create_symlink(dir / "real.reg", dir / "link.reg");
    replaceFileAtomically(dir / "link.reg", "new");
    EXPECT_TRUE(fs::is_symlink(dir / "link.reg"));
    EXPECT_EQ(readFile(dir / "real.reg"), "new");
}

TEST(ReplaceFileAtomically, FailureOnAFolderLeavesNoTemporaryFile) {
    TempDir dir;
    writeFile(dir / "f.reg" / "inside", "kept");
    EXPECT_THROW(replaceFileAtomically(dir / "f.reg", "x"), Failure);
    EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"f.reg"});
    EXPECT_EQ(readFile(dir / "f.reg" / "inside"), "kept");
}

}  // namespace
}  // namespace setup::test

namespace setup::test {
namespace {

TEST(ReadFileIfPresent, TellsAMissingFileFromAnUnreadableOne) {
    TempDir dir;
    writeFile(dir / "present", "bytes");
    fs::create_directory(dir / "folder");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    EXPECT_EQ(readFileIfPresent(dir / "missing"), std::nullopt);
    EXPECT_EQ(readFileIfPresent(dir / "present"), std::optional<std::string>("bytes"));
    EXPECT_THROW(readFileIfPresent(dir / "folder"), Failure);
    EXPECT_THROW(readFileIfPresent(dir / "fifo"), Failure);
}

}  // namespace
}  // namespace setup::test
