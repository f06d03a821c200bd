// What only a POSIX file system can arrange: FIFOs, permission bits, symbolic links, names that are
// wildcards, and the executable's own path from /proc.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>
#include <string>

#include "platform/file_io.h"
#include "tests/platform/file_test_helpers.h"

namespace setup::test {
namespace {

namespace fs = std::filesystem;

bool runningAsRoot() { return ::geteuid() == 0; }

TEST(ReadWholeFile, RefusesAFifoWithoutWaitingForAWriter) {
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    EXPECT_THROW(readWholeFile(dir / "fifo"), Failure);
    EXPECT_THROW(readFileIfPresent(dir / "fifo"), Failure);
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

TEST(FileRuntime, ProgramDirectoryDefaultsToTheExecutablesFolder) {
    FilesOnly runtime;
    const std::wstring directory = runtime.host().programDirectory();
    EXPECT_EQ(directory, executableDirectory());
    EXPECT_EQ(fs::path(toUtf8(directory)), fs::read_symlink("/proc/self/exe").parent_path());
    ASSERT_FALSE(directory.empty());
    EXPECT_TRUE(directory == L"/" || directory.back() != L'/');
}

TEST_F(FileRuntimeTest, OpeningAFifoFailsAndKeepsTheNumberFree) {
    ASSERT_EQ(::mkfifo((m_dir / "fifo").c_str(), 0600), 0);
    EXPECT_THROW(m_runtime.openForInput(1, at(L"fifo")), Failure);
    EXPECT_EQ(m_runtime.freeFileNumber(), 1);
}

TEST_F(FileRuntimeTest, OpeningUnreadableFileFails) {
    if (runningAsRoot()) GTEST_SKIP() << "root reads every file";
    writeFile(m_dir / "setup.lst", "a");
    fs::permissions(m_dir / "setup.lst", fs::perms::none);
    EXPECT_THROW(m_runtime.openForInput(1, at(L"setup.lst")), Failure);
}

TEST_F(FileRuntimeTest, DeletesALinkNotItsTarget) {
    writeFile(m_dir / "target.txt", "a");
    fs::create_symlink(m_dir / "target.txt", m_dir / "link.txt");
    files().removeFile(files().spell(at(L"link.txt")));
    EXPECT_EQ(namesIn(m_dir.path()), std::set<std::string>{"target.txt"});
}

TEST_F(FileRuntimeTest, StagingIntoAnUnwritableFolderFails) {
    if (runningAsRoot()) GTEST_SKIP() << "root writes into every folder";
    writeFile(m_dir / "a.txt", "a");
    writeFile(m_dir / "install" / "a.txt", "old");
    fs::permissions(m_dir / "install", fs::perms(0555));
    EXPECT_THROW(files().copyFile(at(L"a.txt"), at(L"install\\a.txt"), at(L"install\\a.txt.new")), Failure);
    EXPECT_EQ(readFile(m_dir / "install" / "a.txt"), "old");
}

TEST_F(FileRuntimeTest, AFileNamedByAWildcardIsDeletedAlone) {
    writeFile(m_dir / "a.txt", "a");
    writeFile(m_dir / "*", "star");
    files().removeFile(files().spell(at(L"*")));
    EXPECT_EQ(namesIn(m_dir.path()), std::set<std::string>{"a.txt"});
}

TEST_F(FileRuntimeTest, StagesIntoASubfolderWithTheSourcesPermissionBits) {
    writeFile(m_dir / "src" / "Tool.bin", std::string("\0\x01binary\r\n", 10));
    fs::permissions(m_dir / "src" / "Tool.bin", fs::perms(0751));
    fs::create_directories(m_dir / "install" / "bin" / "deep");
    files().copyFile(at(L"src\\Tool.bin"), at(L"install\\bin\\deep\\Tool.bin"),
                     at(L"install\\bin\\deep\\Tool.bin.new"));
    const fs::path staged = m_dir / "install" / "bin" / "deep" / "Tool.bin.new";
    EXPECT_EQ(readFile(staged), std::string("\0\x01binary\r\n", 10));
    EXPECT_EQ(fs::status(staged).permissions(), fs::perms(0751));
    EXPECT_EQ(namesIn(staged.parent_path()), std::set<std::string>{"Tool.bin.new"});
}

TEST_F(FileRuntimeTest, StagedCopyTakesTheInstalledFilesModeAndOwnerAndLeavesItAlone) {
    writeFile(m_dir / "new.txt", "new");
    fs::permissions(m_dir / "new.txt", fs::perms(0755));
    writeFile(m_dir / "install" / "app.cfg", "old");
    fs::permissions(m_dir / "install" / "app.cfg", fs::perms(0440));
    const bool canGiveAway =
        runningAsRoot() && ::chown((m_dir / "install" / "app.cfg").c_str(), 1234, 5678) == 0;
    files().copyFile(at(L"new.txt"), at(L"install\\app.cfg"), at(L"install\\app.cfg.new"));
    struct stat staged {};
    ASSERT_EQ(::stat((m_dir / "install" / "app.cfg.new").c_str(), &staged), 0);
    EXPECT_EQ(staged.st_mode & 07777, 0440u);
    if (canGiveAway) {
        EXPECT_EQ(staged.st_uid, 1234u);
        EXPECT_EQ(staged.st_gid, 5678u);
    }
    EXPECT_EQ(readFile(m_dir / "install" / "app.cfg"), "old");
    EXPECT_EQ(readFile(m_dir / "install" / "app.cfg.new"), "new");
}

TEST_F(FileRuntimeTest, StagingReplacesAFileOrLinkLeftAtTheStagedName) {
    writeFile(m_dir / "new.txt", "new");
    writeFile(m_dir / "elsewhere.txt", "kept");
    fs::create_directories(m_dir / "install");
    fs::create_symlink(m_dir / "elsewhere.txt", m_dir / "install" / "a.txt.new");
    files().copyFile(at(L"new.txt"), at(L"install\\a.txt"), at(L"install\\a.txt.new"));
    EXPECT_FALSE(fs::is_symlink(m_dir / "install" / "a.txt.new"));
    EXPECT_EQ(readFile(m_dir / "install" / "a.txt.new"), "new");
    EXPECT_EQ(readFile(m_dir / "elsewhere.txt"), "kept");
}

TEST_F(FileRuntimeTest, ResolvesAPathToTheSpellingOnDisk) {
    writeFile(m_dir / "install" / "Target.TXT", "old content");
    EXPECT_EQ(files().spell(at(L"INSTALL\\target.txt")),
              fromUtf8((m_dir / "install" / "Target.TXT").string()));
    EXPECT_EQ(files().spell(at(L"install\\New.txt")), fromUtf8((m_dir / "install" / "New.txt").string()));
}

}  // namespace
}  // namespace setup::test
