// What only the Windows file services meet: files held open by another program, read-only files, names
// beyond the ANSI code page and paths over 260 characters.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>

#include "platform/file_io.h"
#include "registry/path_routines.h"
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

TEST_P(HeldDestination, IsAFailedCopyAndStaysWhole) {
    writeFile(m_dir / "new.dll", "new content");
    writeFile(m_dir / "install" / "app.dll", "previous");
    {
        const HeldOpen other(m_dir / "install" / "app.dll", GetParam().access, GetParam().sharing);
        ASSERT_TRUE(other.isOpen());
        EXPECT_THROW(m_runtime.copyFile(at(L"new.dll"), at(L"install\\app.dll")), Failure);
    }
    EXPECT_EQ(readFile(m_dir / "install" / "app.dll"), "previous");
    EXPECT_EQ(namesIn(m_dir / "install"), std::set<std::string>{"app.dll"});
}

const HeldCase kHeldCases[] = {
    {"LockedWholly", GENERIC_READ, 0},
    {"RunningProgramLetsOthersRead", GENERIC_READ, FILE_SHARE_READ},
    {"WriterLetsOthersReadAndWrite", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE},
};

INSTANTIATE_TEST_SUITE_P(Win32FileServices, HeldDestination, ::testing::ValuesIn(kHeldCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FileRuntimeTest, SourceLockedByAnotherProgramIsAFailedCopy) {
    writeFile(m_dir / "new.dll", "new content");
    writeFile(m_dir / "install" / "app.dll", "previous");
    const HeldOpen other(m_dir / "new.dll", GENERIC_WRITE, 0);
    ASSERT_TRUE(other.isOpen());
    EXPECT_THROW(m_runtime.copyFile(at(L"new.dll"), at(L"install\\app.dll")), Failure);
    EXPECT_EQ(readFile(m_dir / "install" / "app.dll"), "previous");
    EXPECT_EQ(namesIn(m_dir / "install"), std::set<std::string>{"app.dll"});
}

TEST_F(FileRuntimeTest, ReadOnlyDestinationIsAFailedCopyAndStaysWhole) {
    writeFile(m_dir / "new.dll", "new content");
    writeFile(m_dir / "install" / "app.dll", "previous");
    const std::wstring target = (m_dir / "install" / "app.dll").wstring();
    ASSERT_TRUE(::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_THROW(m_runtime.copyFile(at(L"new.dll"), at(L"install\\app.dll")), Failure);
    EXPECT_EQ(readFile(m_dir / "install" / "app.dll"), "previous");
    EXPECT_EQ(namesIn(m_dir / "install"), std::set<std::string>{"app.dll"});
    ::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FileRuntimeTest, AReadOnlySourceGivesAReadOnlyCopy) {
    writeFile(m_dir / "new.dll", "new content");
    const std::wstring source = (m_dir / "new.dll").wstring();
    ASSERT_TRUE(::SetFileAttributesW(source.c_str(), FILE_ATTRIBUTE_READONLY));
    m_runtime.copyFile(at(L"new.dll"), at(L"install\\app.dll"));
    const std::wstring copy = (m_dir / "install" / "app.dll").wstring();
    EXPECT_NE(::GetFileAttributesW(copy.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(readFile(m_dir / "install" / "app.dll"), "new content");
    ::SetFileAttributesW(source.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::SetFileAttributesW(copy.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FileRuntimeTest, DeletionOfAFileHeldOpenFailsAndKeepsIt) {
    writeFile(m_dir / "setup.lst", "a");
    {
        const HeldOpen other(m_dir / "setup.lst", GENERIC_READ, FILE_SHARE_READ);
        ASSERT_TRUE(other.isOpen());
        EXPECT_THROW(m_runtime.deleteFile(at(L"setup.lst")), Failure);
    }
    EXPECT_EQ(readFile(m_dir / "setup.lst"), "a");
}

TEST_F(FileRuntimeTest, DeletionOfAReadOnlyFileFailsAndKeepsIt) {
    writeFile(m_dir / "setup.lst", "a");
    const std::wstring path = (m_dir / "setup.lst").wstring();
    ASSERT_TRUE(::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_THROW(m_runtime.deleteFile(at(L"setup.lst")), Failure);
    EXPECT_EQ(readFile(m_dir / "setup.lst"), "a");
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
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

TEST_P(NamesAndLengths, CopyReadAndDelete) {
    const std::wstring folder = GetParam().relative;
    writeFile(m_dir / "setup.lst", "\"entry\",x\r\n");
    m_runtime.copyFile(at(L"setup.lst"), at(folder + L"\\setup.lst"));
    m_runtime.copyFile(at(folder + L"\\setup.lst"), at(folder + L"\\copy of setup.lst"));

    const FileNumber number = m_runtime.freeFileNumber();
    m_runtime.openForInput(number, at(folder + L"\\COPY OF SETUP.LST"));
    EXPECT_EQ(m_runtime.readEntry(number), L"entry");
    m_runtime.close(number);

    m_runtime.deleteFile(at(folder + L"\\setup.lst"));
    m_runtime.deleteFile(at(folder + L"\\copy of setup.lst"));
    EXPECT_FALSE(FileExists(m_runtime, at(folder + L"\\setup.lst")));
    EXPECT_FALSE(FileExists(m_runtime, at(folder + L"\\copy of setup.lst")));
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
    EXPECT_THROW(m_runtime.copyFile(at(L"new.dll"), at(GetParam().destination)), Failure);
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
