// What only the Windows file services meet: files held open by another program, read-only files, names
// beyond the ANSI code page and paths over 260 characters.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>

#include "platform/file_io.h"
#include "platform/path_text.h"
#include "tests/platform/file_test_helpers.h"

namespace setup::test {
namespace {

namespace fs = std::filesystem;

/// A file held open by "another program" with the given sharing, for as long as the object lives.
class HeldOpen {
  public:
    HeldOpen(const fs::path& path, DWORD access, DWORD sharing)
        : m_handle(
              ::CreateFileW(path.wstring().c_str(), access, sharing, nullptr, OPEN_EXISTING, 0, nullptr)) {}
    ~HeldOpen() {
        if (m_handle != INVALID_HANDLE_VALUE) ::CloseHandle(m_handle);
    }
    HeldOpen(const HeldOpen&) = delete;
    HeldOpen& operator=(const HeldOpen&) = delete;
    bool isOpen() const { return m_handle != INVALID_HANDLE_VALUE; }

  private:
    HANDLE m_handle;
};

struct HeldCase {
    const char* name;
    DWORD access;
    DWORD sharing;
};

class HeldDestination : public FileRuntimeTest, public ::testing::WithParamInterface<HeldCase> {};

TEST_P(HeldDestination, RefusesTheCommitsRenamesAndStaysWhole) {
    writeFile(m_dir / "new.dll", "new content");
    writeFile(m_dir / "install" / "app.dll", "previous");
    {
        const HeldOpen other(m_dir / "install" / "app.dll", GetParam().access, GetParam().sharing);
        ASSERT_TRUE(other.isOpen());
        files().copyFile(at(L"new.dll"), at(L"install\\app.dll"), at(L"install\\app.dll.new"));
        EXPECT_THROW(files().rename(at(L"install\\app.dll"), at(L"install\\app.dll.old")), Failure);
        EXPECT_THROW(files().rename(at(L"install\\app.dll.new"), at(L"install\\app.dll")), Failure);
    }
    EXPECT_EQ(readFile(m_dir / "install" / "app.dll"), "previous");
    EXPECT_EQ(readFile(m_dir / "install" / "app.dll.new"), "new content");
    EXPECT_EQ(namesIn(m_dir / "install"), (std::set<std::string>{"app.dll", "app.dll.new"}));
}

const HeldCase kHeldCases[] = {
    {"LockedWholly", GENERIC_READ, 0},
    {"RunningProgramLetsOthersRead", GENERIC_READ, FILE_SHARE_READ},
    {"WriterLetsOthersReadAndWrite", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE},
};

INSTANTIATE_TEST_SUITE_P(Win32FileServices, HeldDestination, ::testing::ValuesIn(kHeldCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FileRuntimeTest, SourceLockedByAnotherProgramStagesNothing) {
    writeFile(m_dir / "new.dll", "new content");
    writeFile(m_dir / "install" / "app.dll", "previous");
    const HeldOpen other(m_dir / "new.dll", GENERIC_WRITE, 0);
    ASSERT_TRUE(other.isOpen());
    EXPECT_THROW(files().copyFile(at(L"new.dll"), at(L"install\\app.dll"), at(L"install\\app.dll.new")),
                 Failure);
    EXPECT_EQ(readFile(m_dir / "install" / "app.dll"), "previous");
    EXPECT_EQ(namesIn(m_dir / "install"), std::set<std::string>{"app.dll"});
}

bool isReadOnly(const fs::path& path) {
    return (::GetFileAttributesW(path.wstring().c_str()) & FILE_ATTRIBUTE_READONLY) != 0;
}

void setReadOnly(const fs::path& path, bool readOnly) {
    ASSERT_TRUE(::SetFileAttributesW(path.wstring().c_str(),
                                     readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL));
}

/// A read-only installed file goes through a whole commit and its undo: staged read-only like it, flushed,
/// moved aside, replaced, then put back over its read-only replacement.
TEST_F(FileRuntimeTest, ReadOnlyInstalledFileIsReplacedAndPutBack) {
    writeFile(m_dir / "new.dll", "new content");
    writeFile(m_dir / "install" / "app.dll", "previous");
    const fs::path installed = m_dir / "install" / "app.dll";
    setReadOnly(installed, true);

    files().copyFile(at(L"new.dll"), at(L"install\\app.dll"), at(L"install\\app.dll.new"));
    EXPECT_TRUE(isReadOnly(m_dir / "install" / "app.dll.new"));
    files().flushFiles({at(L"install\\app.dll.new")});
    files().rename(at(L"install\\app.dll"), at(L"install\\app.dll.old"));
    files().rename(at(L"install\\app.dll.new"), at(L"install\\app.dll"));
    EXPECT_EQ(readFile(installed), "new content");
    EXPECT_TRUE(isReadOnly(installed));

    files().rename(at(L"install\\app.dll.old"), at(L"install\\app.dll"));
    EXPECT_EQ(readFile(installed), "previous");
    EXPECT_TRUE(isReadOnly(installed));
    EXPECT_EQ(namesIn(m_dir / "install"), std::set<std::string>{"app.dll"});
    setReadOnly(installed, false);
}

TEST_F(FileRuntimeTest, FailedRenameOverAReadOnlyFileLeavesItReadOnly) {
    writeFile(m_dir / "install" / "app.dll", "previous");
    writeFile(m_dir / "install" / "app.dll.new", "new content");
    const fs::path installed = m_dir / "install" / "app.dll";
    setReadOnly(installed, true);
    {
        const HeldOpen other(installed, GENERIC_READ, FILE_SHARE_READ);
        ASSERT_TRUE(other.isOpen());
        EXPECT_THROW(files().rename(at(L"install\\app.dll.new"), at(L"install\\app.dll")), Failure);
    }
    EXPECT_EQ(readFile(installed), "previous");
    EXPECT_TRUE(isReadOnly(installed));
    EXPECT_EQ(readFile(m_dir / "install" / "app.dll.new"), "new content");
    setReadOnly(installed, false);
}

TEST_F(FileRuntimeTest, AReadOnlySourceGivesAReadOnlyStagedCopyOfANewFile) {
    writeFile(m_dir / "new.dll", "new content");
    setReadOnly(m_dir / "new.dll", true);
    fs::create_directory(m_dir / "install");
    files().copyFile(at(L"new.dll"), at(L"install\\app.dll"), at(L"install\\app.dll.new"));
    const fs::path copy = m_dir / "install" / "app.dll.new";
    EXPECT_TRUE(isReadOnly(copy));
    EXPECT_EQ(readFile(copy), "new content");
    setReadOnly(m_dir / "new.dll", false);
    setReadOnly(copy, false);
}

TEST_F(FileRuntimeTest, StagingOverALeftoverReadOnlyCopyReplacesIt) {
    writeFile(m_dir / "new.dll", "new content");
    writeFile(m_dir / "install" / "app.dll.new", "left by a stopped run");
    setReadOnly(m_dir / "install" / "app.dll.new", true);
    files().copyFile(at(L"new.dll"), at(L"install\\app.dll"), at(L"install\\app.dll.new"));
    EXPECT_EQ(readFile(m_dir / "install" / "app.dll.new"), "new content");
    EXPECT_FALSE(isReadOnly(m_dir / "install" / "app.dll.new"));
}

TEST_F(FileRuntimeTest, FoldersAreCreatedFlushedAndRemoved) {
    files().createFolder(at(L"modules"));
    files().createFolder(at(L"modules"));
    EXPECT_NO_THROW(files().flushFolders({at(L""), at(L"modules")}));
    writeFile(m_dir / "modules" / "a.dll", "a");
    EXPECT_THROW(files().removeFolder(at(L"modules")), Failure);
    files().removeFile(at(L"modules\\a.dll"));
    files().removeFolder(at(L"modules"));
    EXPECT_EQ(files().kindOf(at(L"modules")), NodeKind::Missing);
    EXPECT_THROW(files().removeFolder(at(L"modules")), Failure);
}

TEST_F(FileRuntimeTest, DeletionOfAFileHeldOpenFailsAndKeepsIt) {
    writeFile(m_dir / "setup.lst", "a");
    {
        const HeldOpen other(m_dir / "setup.lst", GENERIC_READ, FILE_SHARE_READ);
        ASSERT_TRUE(other.isOpen());
        EXPECT_THROW(files().removeFile(at(L"setup.lst")), Failure);
    }
    EXPECT_EQ(readFile(m_dir / "setup.lst"), "a");
}

TEST_F(FileRuntimeTest, DeletionOfAReadOnlyFileFailsAndKeepsIt) {
    writeFile(m_dir / "setup.lst", "a");
    const std::wstring path = (m_dir / "setup.lst").wstring();
    ASSERT_TRUE(::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_THROW(files().removeShippedFile(at(L"setup.lst")), Failure);
    EXPECT_EQ(readFile(m_dir / "setup.lst"), "a");
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FileRuntimeTest, TheUpdatesOwnReadOnlyFileIsRemovedUnlessHeldOpen) {
    writeFile(m_dir / "app.dll.old", "previous");
    setReadOnly(m_dir / "app.dll.old", true);
    {
        const HeldOpen other(m_dir / "app.dll.old", GENERIC_READ, FILE_SHARE_READ);
        ASSERT_TRUE(other.isOpen());
        EXPECT_THROW(files().removeFile(at(L"app.dll.old")), Failure);
    }
    EXPECT_TRUE(isReadOnly(m_dir / "app.dll.old"));
    files().removeFile(at(L"app.dll.old"));
    EXPECT_EQ(files().kindOf(at(L"app.dll.old")), NodeKind::Missing);
}

struct NameCase {
    const char* name;
    std::wstring relative;  ///< below the temporary folder, with "\" separators
};

/// A component of `length` characters, to build paths beyond the old 260-character limit.
std::wstring longName(wchar_t letter, std::size_t length) { return std::wstring(length, letter); }

/// Removes the empty folders of `path` up to `base`, whatever their length (the standard library's own
/// services stop at 260 characters).
void removeEmptyFolders(const std::wstring& path, const std::wstring& base) {
    wchar_t full[4096];
    const DWORD length = ::GetFullPathNameW(path.c_str(), 4096, full, nullptr);
    ASSERT_TRUE(length > 0 && length < 4096);
    std::wstring folder = L"\\\\?\\" + std::wstring(full, length);
    const std::size_t stop = 4 + base.size();
    while (folder.size() > stop) {
        ASSERT_TRUE(::RemoveDirectoryW(folder.c_str())) << "error " << ::GetLastError();
        folder.erase(folder.find_last_of(L'\\'));
    }
}

class NamesAndLengths : public FileRuntimeTest, public ::testing::WithParamInterface<NameCase> {};

TEST_P(NamesAndLengths, StageCommitFindReadAndDelete) {
    const std::wstring folder = GetParam().relative;
    writeFile(m_dir / "setup.lst", "\"entry\",x\r\n");
    for (std::size_t end = folder.find_first_of(L"\\/");; end = folder.find_first_of(L"\\/", end + 1)) {
        files().createFolder(at(folder.substr(0, end)));
        if (end == std::wstring::npos) break;
    }
    const auto install = [&](const std::wstring& source, const std::wstring& name) {
        files().copyFile(at(source), at(folder + L"\\" + name), at(folder + L"\\" + name + L".new"));
        files().flushFiles({at(folder + L"\\" + name + L".new")});
        files().rename(at(folder + L"\\" + name + L".new"), at(folder + L"\\" + name));
        files().flushFolders({at(folder)});
    };
    install(L"setup.lst", L"setup.lst");
    install(folder + L"\\setup.lst", L"copy of setup.lst");
    EXPECT_NE(files().kindOf(at(folder + L"\\setup.lst")), NodeKind::Missing);
    EXPECT_NE(files().kindOf(at(folder + L"\\copy of setup.lst")), NodeKind::Missing);

    const FileNumber number = m_runtime.freeFileNumber();
    m_runtime.openForInput(number, at(folder + L"\\COPY OF SETUP.LST"));
    EXPECT_EQ(m_runtime.readEntry(number), L"entry");
    m_runtime.close(number);

    files().removeFile(at(folder + L"\\setup.lst"));
    files().removeFile(at(folder + L"\\copy of setup.lst"));
    EXPECT_EQ(files().kindOf(at(folder + L"\\setup.lst")), NodeKind::Missing);
    EXPECT_EQ(files().kindOf(at(folder + L"\\copy of setup.lst")), NodeKind::Missing);
    // The run's held folders go first: a folder still open stays until its handle closes.
    m_runtime.releaseAll();
    removeEmptyFolders(at(folder), m_dir.path().wstring());
}

const NameCase kNameCases[] = {
    {"GreekFolder", L"\u0395\u03BB\u03BB\u03B7\u03BD\u03B9\u03BA\u03AC"},
    {"JapaneseFolders", L"\u65E5\u672C\u8A9E\\\u30C6\u30B9\u30C8"},
    {"CharacterBeyondTheBasicPlane", L"\U0001F600 folder"},
    {"PathOver260Characters",
     longName(L'a', 120) + L"\\" + longName(L'b', 120) + L"\\" + longName(L'c', 120)},
    {"LongPathWithForwardSlashesAndDots", longName(L'd', 150) + L"/./" + longName(L'e', 150)},
};

INSTANTIATE_TEST_SUITE_P(Win32FileServices, NamesAndLengths, ::testing::ValuesIn(kNameCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Win32FileIo, ReplacementOfAReadOnlyRegistryFailsAndKeepsIt) {
    TempDir dir;
    writeFile(dir / "Tamreg.reg", "[Kelvane]\r\nVersion=3.0\r\n");
    const std::wstring path = (dir / "Tamreg.reg").wstring();
    ASSERT_TRUE(::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_THROW(replaceFileAtomically(dir / "Tamreg.reg", "[Kelvane]\r\nVersion=4.0\r\n"), Failure);
    EXPECT_EQ(readFile(dir / "Tamreg.reg"), "[Kelvane]\r\nVersion=3.0\r\n");
    EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"Tamreg.reg"});
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(Win32FileIo, ReplacementKeepsAHiddenRegistryHidden) {
    TempDir dir;
    writeFile(dir / "Tamreg.reg", "old");
    const std::wstring path = (dir / "Tamreg.reg").wstring();
    ASSERT_TRUE(::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN));
    replaceFileAtomically(dir / "Tamreg.reg", "new");
    EXPECT_EQ(readFile(dir / "Tamreg.reg"), "new");
    EXPECT_NE(::GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
}

struct DeviceCase {
    const char* name;
    const wchar_t* destination;
};

class DeviceDestination : public FileRuntimeTest, public ::testing::WithParamInterface<DeviceCase> {};

TEST_P(DeviceDestination, IsAFailedCopyNotASilentWriteToTheDevice) {
    writeFile(m_dir / "new.dll", "new content");
    EXPECT_THROW(files().copyFile(at(L"new.dll"), at(GetParam().destination), at(GetParam().destination)),
                 Failure);
    EXPECT_THROW(files().writeFile(at(GetParam().destination), "bytes"), Failure);
    EXPECT_EQ(namesIn(m_dir.path()), std::set<std::string>{"new.dll"});
}

const DeviceCase kDeviceCases[] = {
    {"Nul", L"NUL"},
    {"ConsoleInAFolder", L"install\\con"},
    {"SerialPort", L"COM1"},
};

INSTANTIATE_TEST_SUITE_P(Win32FileServices, DeviceDestination, ::testing::ValuesIn(kDeviceCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Win32Paths, ProgramPathIsTheSystemsOwnWideName) {
    const fs::path path(L"C:\\\u65E5\u672C\\\u0395.txt");
    EXPECT_EQ(programPath(path), L"C:\\\u65E5\u672C\\\u0395.txt");
    EXPECT_EQ(mapPath(std::wstring(L"C:\\a\\b.txt\0ignored", 18)), fs::path(L"C:\\a\\b.txt"));
}

TEST(Win32Paths, ExecutableDirectoryHasNoTrailingBackslash) {
    const std::wstring directory = executableDirectory();
    ASSERT_GE(directory.size(), 3u);
    EXPECT_EQ(directory[1], L':');
    EXPECT_TRUE(directory.size() == 3 || directory.back() != L'\\');
    EXPECT_TRUE(fs::exists(fs::path(directory) / "platform_tests.exe"));
}

}  // namespace
}  // namespace setup::test
