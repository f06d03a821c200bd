#include "platform/file_runtime.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>
#include <string>
#include <vector>

#include "platform/failure.h"
#include "platform/path_mapping.h"
#include "platform/text_codec.h"
#include "tests/support/temp_dir.h"

namespace setup::test {
namespace {

namespace fs = std::filesystem;

/// The file half alone; the window services are never called here.
class FilesOnly : public FileRuntime {
  public:
    using FileRuntime::FileRuntime;
    int messageBox(const std::wstring&, int, const std::wstring&) override { throw Failure("no windows"); }
    void processPendingMessages() override {}
    [[noreturn]] void endProgram(int) override { throw Failure("no end"); }
};

bool runningAsRoot() { return ::geteuid() == 0; }

std::set<std::string> namesIn(const fs::path& directory) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory))
        names.insert(entry.path().filename().string());
    return names;
}

class FileRuntimeTest : public ::testing::Test {
  protected:
    std::wstring at(const std::wstring& relative) const {
        return fromUtf8(m_dir.path().string()) + L"\\" + relative;
    }

    TempDir m_dir;
    FilesOnly m_runtime{fromUtf8(m_dir.path().string())};
};

TEST_F(FileRuntimeTest, ProgramDirectoryCanBeGiven) {
    EXPECT_EQ(m_runtime.programDirectory(), fromUtf8(m_dir.path().string()));
}

TEST(FileRuntime, ProgramDirectoryDefaultsToTheExecutablesFolder) {
    FilesOnly runtime;
    const std::wstring directory = runtime.programDirectory();
    EXPECT_EQ(directory, executableDirectory());
    EXPECT_EQ(fs::path(toUtf8(directory)), fs::read_symlink("/proc/self/exe").parent_path());
    ASSERT_FALSE(directory.empty());
    EXPECT_TRUE(directory == L"/" || directory.back() != L'/');
}

TEST_F(FileRuntimeTest, HandsOutTheLowestFreeNumberAndReusesClosedOnes) {
    writeFile(m_dir / "setup.lst", "a");
    EXPECT_EQ(m_runtime.freeFileNumber(), 1);
    m_runtime.openForInput(1, at(L"setup.lst"));
    EXPECT_EQ(m_runtime.freeFileNumber(), 2);
    m_runtime.openForInput(2, at(L"setup.lst"));
    m_runtime.openForInput(3, at(L"setup.lst"));
    m_runtime.close(2);
    EXPECT_EQ(m_runtime.freeFileNumber(), 2);
    m_runtime.close(1);
    EXPECT_EQ(m_runtime.freeFileNumber(), 1);
    m_runtime.closeAll();
    EXPECT_EQ(m_runtime.freeFileNumber(), 1);
    EXPECT_THROW(m_runtime.close(3), Failure);
}

TEST_F(FileRuntimeTest, RunsOutOfNumbersAfter255) {
    writeFile(m_dir / "setup.lst", "a");
    for (int i = 0; i < 255; ++i) m_runtime.openForInput(m_runtime.freeFileNumber(), at(L"setup.lst"));
    EXPECT_THROW(m_runtime.freeFileNumber(), Failure);
}

TEST_F(FileRuntimeTest, RefusesNumbersInUseOrOutOfRange) {
    writeFile(m_dir / "setup.lst", "a");
    m_runtime.openForInput(1, at(L"setup.lst"));
    EXPECT_THROW(m_runtime.openForInput(1, at(L"setup.lst")), Failure);
    EXPECT_THROW(m_runtime.openForInput(0, at(L"setup.lst")), Failure);
    EXPECT_THROW(m_runtime.openForInput(256, at(L"setup.lst")), Failure);
}

TEST_F(FileRuntimeTest, ReadsTheListThroughOtherCaseAndSeparators) {
    writeFile(m_dir / "setup.lst", ";Titre\r\n\"a, b\",c\r\n");
    m_runtime.openForInput(4, fromUtf8(m_dir.path().string()) + L"\\\\Setup.LST");
    std::vector<std::wstring> entries;
    while (!m_runtime.atEndOfFile(4)) entries.push_back(m_runtime.readEntry(4));
    EXPECT_EQ(entries, (std::vector<std::wstring>{L";Titre", L"a, b", L"c"}));
    m_runtime.close(4);
}

TEST_F(FileRuntimeTest, OperationsOnANumberNotOpenFail) {
    EXPECT_THROW(m_runtime.atEndOfFile(1), Failure);
    EXPECT_THROW(m_runtime.readEntry(1), Failure);
    EXPECT_THROW(m_runtime.close(1), Failure);
}

TEST_F(FileRuntimeTest, OpeningMissingOrFolderOrFifoFailsAndKeepsTheNumberFree) {
    fs::create_directory(m_dir / "folder");
    ASSERT_EQ(::mkfifo((m_dir / "fifo").c_str(), 0600), 0);
    for (const wchar_t* name : {L"missing.lst", L"folder", L"fifo"}) {
        EXPECT_THROW(m_runtime.openForInput(1, at(name)), Failure) << toUtf8(name);
        EXPECT_EQ(m_runtime.freeFileNumber(), 1);
    }
}

TEST_F(FileRuntimeTest, OpeningUnreadableFileFails) {
    if (runningAsRoot()) GTEST_SKIP() << "root reads every file";
    writeFile(m_dir / "setup.lst", "a");
    fs::permissions(m_dir / "setup.lst", fs::perms::none);
    EXPECT_THROW(m_runtime.openForInput(1, at(L"setup.lst")), Failure);
}

TEST_F(FileRuntimeTest, DeletesAFileByAnyLetterCase) {
    writeFile(m_dir / "setup.lst", "a");
    writeFile(m_dir / "other.txt", "b");
    m_runtime.deleteFile(at(L"Setup.lst"));
    EXPECT_EQ(namesIn(m_dir.path()), std::set<std::string>{"other.txt"});
}

TEST_F(FileRuntimeTest, DeletingAnAbsentFileFails) {
    EXPECT_THROW(m_runtime.deleteFile(at(L"absent.txt")), Failure);
    EXPECT_THROW(m_runtime.deleteFile(L""), Failure);
}

TEST_F(FileRuntimeTest, NeverDeletesAFolder) {
    writeFile(m_dir / "folder" / "kept.txt", "a");
    fs::create_directory(m_dir / "empty");
    EXPECT_THROW(m_runtime.deleteFile(at(L"folder")), Failure);
    EXPECT_THROW(m_runtime.deleteFile(at(L"empty\\")), Failure);
    EXPECT_TRUE(fs::exists(m_dir / "folder" / "kept.txt"));
    EXPECT_TRUE(fs::is_directory(m_dir / "empty"));
}

TEST_F(FileRuntimeTest, WildcardsMatchOnlyThemselves) {
    writeFile(m_dir / "a.txt", "a");
    writeFile(m_dir / "b.txt", "b");
    EXPECT_THROW(m_runtime.deleteFile(at(L"*")), Failure);
    EXPECT_THROW(m_runtime.deleteFile(at(L"?.txt")), Failure);
    EXPECT_EQ(namesIn(m_dir.path()), (std::set<std::string>{"a.txt", "b.txt"}));

    writeFile(m_dir / "*", "star");
    m_runtime.deleteFile(at(L"*"));
    EXPECT_EQ(namesIn(m_dir.path()), (std::set<std::string>{"a.txt", "b.txt"}));
}

TEST_F(FileRuntimeTest, DeletesALinkNotItsTarget) {
    writeFile(m_dir / "target.txt", "a");
    fs::create_symlink(m_dir / "target.txt", m_dir / "link.txt");
    m_runtime.deleteFile(at(L"link.txt"));
    EXPECT_EQ(namesIn(m_dir.path()), std::set<std::string>{"target.txt"});
}

TEST_F(FileRuntimeTest, StagesIntoANewSubfolderWithTheSourcesPermissionBits) {
    writeFile(m_dir / "src" / "Tool.bin", std::string("\0\x01binary\r\n", 10));
    fs::permissions(m_dir / "src" / "Tool.bin", fs::perms(0751));
    m_runtime.stageCopy(at(L"SRC\\tool.bin"), at(L"install\\bin\\deep\\Tool.bin"),
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
    m_runtime.stageCopy(at(L"new.txt"), at(L"install\\app.cfg"), at(L"install\\app.cfg.new"));
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
    m_runtime.stageCopy(at(L"new.txt"), at(L"install\\a.txt"), at(L"install\\a.txt.new"));
    EXPECT_FALSE(fs::is_symlink(m_dir / "install" / "a.txt.new"));
    EXPECT_EQ(readFile(m_dir / "install" / "a.txt.new"), "new");
    EXPECT_EQ(readFile(m_dir / "elsewhere.txt"), "kept");
}

TEST_F(FileRuntimeTest, StagesAnEmptyFileAndALargeOne) {
    writeFile(m_dir / "empty.txt", "");
    std::string large(3 * 1024 * 1024 + 17, '\0');
    for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>(i * 7 % 251);
    writeFile(m_dir / "large.bin", large);
    m_runtime.stageCopy(at(L"empty.txt"), at(L"out\\empty.txt"), at(L"out\\empty.txt.new"));
    m_runtime.stageCopy(at(L"large.bin"), at(L"out\\large.bin"), at(L"out\\large.bin.new"));
    EXPECT_TRUE(fs::is_regular_file(m_dir / "out" / "empty.txt.new"));
    EXPECT_EQ(fs::file_size(m_dir / "out" / "empty.txt.new"), 0u);
    EXPECT_EQ(readFile(m_dir / "out" / "large.bin.new"), large);
}

TEST_F(FileRuntimeTest, ResolvesAPathToTheSpellingOnDisk) {
    writeFile(m_dir / "install" / "Target.TXT", "old content");
    EXPECT_EQ(m_runtime.resolvePath(at(L"INSTALL\\target.txt")),
              fromUtf8((m_dir / "install" / "Target.TXT").string()));
    EXPECT_EQ(m_runtime.resolvePath(at(L"install\\New.txt")),
              fromUtf8((m_dir / "install" / "New.txt").string()));
}

struct FailedCopyCase {
    const char* name;
    const wchar_t* source;
};

class FailedCopy : public FileRuntimeTest, public ::testing::WithParamInterface<FailedCopyCase> {};

TEST_P(FailedCopy, LeavesTheInstalledFileWholeAndNoStagedFile) {
    fs::create_directory(m_dir / "folder");
    const std::string previous("previous\0content", 16);
    writeFile(m_dir / "install" / "app.dll", previous);
    EXPECT_THROW(
        m_runtime.stageCopy(at(GetParam().source), at(L"install\\app.dll"), at(L"install\\app.dll.new")),
        Failure);
    EXPECT_EQ(readFile(m_dir / "install" / "app.dll"), previous);
    EXPECT_EQ(namesIn(m_dir / "install"), std::set<std::string>{"app.dll"});
}

const FailedCopyCase kFailedCopies[] = {
    {"MissingSource", L"missing.dll"},
    {"SourceIsAFolder", L"folder"},
    {"EmptySource", L""},
};

INSTANTIATE_TEST_SUITE_P(FileRuntime, FailedCopy, ::testing::ValuesIn(kFailedCopies),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FileRuntimeTest, StagingBelowAFileFails) {
    writeFile(m_dir / "a.txt", "a");
    writeFile(m_dir / "install", "a file where a folder should be");
    EXPECT_THROW(m_runtime.stageCopy(at(L"a.txt"), at(L"install\\a.txt"), at(L"install\\a.txt.new")),
                 Failure);
    EXPECT_EQ(readFile(m_dir / "install"), "a file where a folder should be");
}

TEST_F(FileRuntimeTest, RenameReplacesTheTargetAndAFailedOneChangesNothing) {
    writeFile(m_dir / "a.new", "new");
    writeFile(m_dir / "a.txt", "old");
    m_runtime.renameFile(at(L"a.new"), at(L"a.txt"));
    EXPECT_EQ(namesIn(m_dir.path()), std::set<std::string>{"a.txt"});
    EXPECT_EQ(readFile(m_dir / "a.txt"), "new");
    EXPECT_THROW(m_runtime.renameFile(at(L"missing"), at(L"a.txt")), Failure);
    EXPECT_EQ(readFile(m_dir / "a.txt"), "new");
}

TEST_F(FileRuntimeTest, FlushFailsForAMissingFileOrFolder) {
    writeFile(m_dir / "a.txt", "a");
    EXPECT_NO_THROW(m_runtime.flushFiles({at(L"a.txt")}));
    EXPECT_NO_THROW(m_runtime.flushFolders({at(L"")}));
    EXPECT_THROW(m_runtime.flushFiles({at(L"a.txt"), at(L"missing")}), Failure);
    EXPECT_THROW(m_runtime.flushFolders({at(L"missing")}), Failure);
}

TEST_F(FileRuntimeTest, WrittenFileReadsBackAndAMissingOneIsNone) {
    m_runtime.writeFile(at(L"sub\\journal"), std::string("line\n\0", 6));
    EXPECT_EQ(m_runtime.readFile(at(L"sub\\journal")), std::string("line\n\0", 6));
    EXPECT_EQ(m_runtime.readFile(at(L"sub\\missing")), std::nullopt);
}

TEST_F(FileRuntimeTest, FindsFilesByNameWithoutFollowingLinksOut) {
    writeFile(m_dir / "install" / "a.old", "");
    writeFile(m_dir / "install" / "sub" / "b.old", "");
    writeFile(m_dir / "install" / "c.txt", "");
    writeFile(m_dir / "outside" / "d.old", "");
    fs::create_directory_symlink(m_dir / "outside", m_dir / "install" / "link");
    fs::create_symlink(m_dir / "nowhere", m_dir / "install" / "dangling.old");
    const auto old = [](const std::wstring& name) { return name.ends_with(L".old"); };
    std::set<std::wstring> deep;
    for (const auto& path : m_runtime.findFiles(at(L"install"), true, old)) deep.insert(path);
    const auto onDisk = [&](const fs::path& relative) { return fromUtf8((m_dir / relative).string()); };
    EXPECT_EQ(deep, (std::set<std::wstring>{onDisk("install/a.old"), onDisk("install/dangling.old"),
                                            onDisk("install/sub/b.old")}));
    EXPECT_EQ(m_runtime.findFiles(at(L"install"), false, old).size(), 2u);
    EXPECT_TRUE(m_runtime.findFiles(at(L"missing"), true, old).empty());
    EXPECT_TRUE(m_runtime.exists(at(L"install\\dangling.old")));
    EXPECT_FALSE(m_runtime.exists(at(L"install\\none")));
}

}  // namespace
}  // namespace setup::test
