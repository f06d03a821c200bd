#include "platform/file_runtime.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "platform/failure.h"
#include "platform/path_mapping.h"
#include "platform/text_codec.h"
#include "tests/platform/file_test_helpers.h"
#include "tests/support/temp_dir.h"

namespace setup::test {
namespace {

namespace fs = std::filesystem;

TEST_F(FileRuntimeTest, ProgramDirectoryCanBeGiven) {
    EXPECT_EQ(m_runtime.host().programDirectory(), programPath(m_dir.path()));
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
    m_runtime.releaseAll();
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
    m_runtime.openForInput(4, programPath(m_dir.path()) + L"\\\\Setup.LST");
    std::vector<std::wstring> entries;
    while (!m_runtime.atEndOfFile(4)) entries.push_back(m_runtime.readEntry(4));
    EXPECT_EQ(entries, (std::vector<std::wstring>{L";Titre", L"a, b", L"c"}));
    m_runtime.close(4);
}

TEST_F(FileRuntimeTest, ResolvesEachExistingNameAsTheFileSystemStoresIt) {
    writeFile(m_dir / "Modules" / "calcul.dll", "calcul");
    const std::wstring dir = programPath(m_dir.path());
    // Each system writes its own separators between the names it found.
    const auto resolved = [&](const std::wstring& path) {
        std::wstring text = files().spell(dir + path).substr(dir.size());
        std::replace(text.begin(), text.end(), L'\\', L'/');
        return text;
    };
    EXPECT_EQ(resolved(L"\\MODULES\\CALCUL.DLL"), L"/Modules/calcul.dll");
    EXPECT_EQ(resolved(L"\\modules\\Neuf\\X.TXT"), L"/Modules/Neuf/X.TXT");
}

TEST_F(FileRuntimeTest, OperationsOnANumberNotOpenFail) {
    EXPECT_THROW(m_runtime.atEndOfFile(1), Failure);
    EXPECT_THROW(m_runtime.readEntry(1), Failure);
    EXPECT_THROW(m_runtime.close(1), Failure);
}

TEST_F(FileRuntimeTest, OpeningMissingOrFolderFailsAndKeepsTheNumberFree) {
    fs::create_directory(m_dir / "folder");
    for (const wchar_t* name : {L"missing.lst", L"folder", L"missing\\setup.lst"}) {
        EXPECT_THROW(m_runtime.openForInput(1, at(name)), Failure) << toUtf8(name);
        EXPECT_EQ(m_runtime.freeFileNumber(), 1);
    }
}

TEST_F(FileRuntimeTest, DeletesAFileByAnyLetterCase) {
    writeFile(m_dir / "setup.lst", "a");
    writeFile(m_dir / "other.txt", "b");
    files().removeFile(files().spell(at(L"Setup.lst")));
    EXPECT_EQ(namesIn(m_dir.path()), std::set<std::string>{"other.txt"});
}

TEST_F(FileRuntimeTest, DeletingAnAbsentFileFails) {
    EXPECT_THROW(files().removeFile(files().spell(at(L"absent.txt"))), Failure);
    EXPECT_THROW(files().removeFile(files().spell(L"")), Failure);
}

TEST_F(FileRuntimeTest, NeverDeletesAFolder) {
    writeFile(m_dir / "folder" / "kept.txt", "a");
    fs::create_directory(m_dir / "empty");
    EXPECT_THROW(files().removeFile(files().spell(at(L"folder"))), Failure);
    EXPECT_THROW(files().removeFile(files().spell(at(L"empty\\"))), Failure);
    EXPECT_TRUE(fs::exists(m_dir / "folder" / "kept.txt"));
    EXPECT_TRUE(fs::is_directory(m_dir / "empty"));
}

TEST_F(FileRuntimeTest, WildcardsMatchNothing) {
    writeFile(m_dir / "a.txt", "a");
    writeFile(m_dir / "b.txt", "b");
    EXPECT_THROW(files().removeFile(files().spell(at(L"*"))), Failure);
    EXPECT_THROW(files().removeFile(files().spell(at(L"?.txt"))), Failure);
    EXPECT_EQ(namesIn(m_dir.path()), (std::set<std::string>{"a.txt", "b.txt"}));
}

TEST_F(FileRuntimeTest, StagesAnEmptyFileAndALargeOne) {
    writeFile(m_dir / "empty.txt", "");
    std::string large(3 * 1024 * 1024 + 17, '\0');
    for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>(i * 7 % 251);
    writeFile(m_dir / "large.bin", large);
    fs::create_directory(m_dir / "out");
    files().copyFile(at(L"empty.txt"), at(L"out\\empty.txt"), at(L"out\\empty.txt.new"));
    files().copyFile(at(L"large.bin"), at(L"out\\large.bin"), at(L"out\\large.bin.new"));
    EXPECT_TRUE(fs::is_regular_file(m_dir / "out" / "empty.txt.new"));
    EXPECT_EQ(fs::file_size(m_dir / "out" / "empty.txt.new"), 0u);
    EXPECT_EQ(readFile(m_dir / "out" / "large.bin.new"), large);
}

TEST_F(FileRuntimeTest, CheckedCopyDigestsWhatItStagesAndStopsPastTheLimit) {
    std::string large(3 * 1024 * 1024 + 17, '\0');
    for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>(i * 7 % 251);
    writeFile(m_dir / "large.bin", large);
    fs::create_directory(m_dir / "out");
    CopyCheck whole{large.size(), {}};
    EXPECT_EQ(files().copyFile(at(L"large.bin"), at(L"out\\a.bin"), at(L"out\\a.bin.new"), &whole),
              large.size());
    EXPECT_EQ(whole.digest, fileSha256(m_dir / "large.bin"));
    CopyCheck small{1000, {}};
    EXPECT_EQ(files().copyFile(at(L"large.bin"), at(L"out\\b.bin"), at(L"out\\b.bin.new"), &small), 1001u);
    EXPECT_EQ(readFile(m_dir / "out" / "b.bin.new"), large.substr(0, 1001));
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
        files().copyFile(at(GetParam().source), at(L"install\\app.dll"), at(L"install\\app.dll.new")),
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
    EXPECT_THROW(files().copyFile(at(L"a.txt"), at(L"install\\a.txt"), at(L"install\\a.txt.new")), Failure);
    EXPECT_EQ(readFile(m_dir / "install"), "a file where a folder should be");
}

TEST_F(FileRuntimeTest, RenameReplacesTheTargetAndAFailedOneChangesNothing) {
    writeFile(m_dir / "a.new", "new");
    writeFile(m_dir / "a.txt", "old");
    files().rename(at(L"a.new"), at(L"a.txt"));
    EXPECT_EQ(namesIn(m_dir.path()), std::set<std::string>{"a.txt"});
    EXPECT_EQ(readFile(m_dir / "a.txt"), "new");
    EXPECT_THROW(files().rename(at(L"missing"), at(L"a.txt")), Failure);
    EXPECT_EQ(readFile(m_dir / "a.txt"), "new");
}

TEST_F(FileRuntimeTest, FlushFailsForAMissingFolder) {
    writeFile(m_dir / "a.txt", "a");
    EXPECT_NO_THROW(files().flushFiles({at(L"a.txt")}));
    EXPECT_NO_THROW(files().flushFolders({at(L"")}));
    EXPECT_THROW(files().flushFolders({at(L"missing")}), Failure);
}

TEST_F(FileRuntimeTest, WrittenFileReadsBackAndAMissingOneIsNone) {
    fs::create_directory(m_dir / "sub");
    files().writeFile(at(L"sub\\journal"), std::string("line\n\0", 6));
    EXPECT_EQ(files().readFile(at(L"sub\\journal"), 1024), std::string("line\n\0", 6));
    EXPECT_EQ(files().readFile(at(L"sub\\missing"), 1024), std::nullopt);
}

}  // namespace
}  // namespace setup::test
