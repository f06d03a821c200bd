// The held folders of a run on Windows: every change below them made from folder handles, no link below
// them ever followed, and a folder swapped for a link after it was reached changes nothing of where the
// run writes.
#include "platform/held_files.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "platform/failure.h"
#include "platform/path_mapping.h"
#include "platform/text_codec.h"
#include "tests/support/temp_dir.h"

namespace setup::test {
namespace {

namespace fs = std::filesystem;

/// Each name in `folder` with the content of a file, or "<folder>".
std::map<std::string, std::string> contentsOf(const fs::path& folder) {
    std::map<std::string, std::string> contents;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        const bool isFolder = entry.is_directory(error);
        contents[entry.path().filename().string()] = isFolder ? "<folder>" : readFile(entry.path());
    }
    return contents;
}

/// True when the folder of `path` lists it, a link whose target is gone too.
bool isListed(const std::wstring& path) {
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    ::FindClose(search);
    return true;
}

/// The host's name of a Windows path when the program runs under Wine; empty elsewhere.
std::wstring hostName(const std::wstring& path) {
    using UnixFileName = char* (*)(LPCWSTR);
    const FARPROC address = ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name");
    if (address == nullptr) return std::wstring();
    char* name = reinterpret_cast<UnixFileName>(reinterpret_cast<void (*)()>(address))(path.c_str());
    if (name == nullptr) return std::wstring();
    const std::wstring wide(name, name + std::char_traits<char>::length(name));
    ::HeapFree(::GetProcessHeap(), 0, name);
    return wide;
}

/// Runs the host program `program` with `arguments` under Wine, which gives no handle to wait on for a
/// host program: what it does to the folder of `path` tells when it is done, `path` then listed or not
/// as `listed` says.
bool runOnHost(const std::wstring& program, const std::wstring& arguments, const std::wstring& path,
               bool listed) {
    const HANDLE change =
        ::FindFirstChangeNotificationW(path.substr(0, path.find_last_of(L'\\')).c_str(), FALSE,
                                       FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME);
    if (change == INVALID_HANDLE_VALUE) return false;
    std::wstring command = program + L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const bool started = ::CreateProcessW((L"Z:" + program).c_str(), command.data(), nullptr, nullptr, FALSE,
                                          0, nullptr, nullptr, &startup, &process);
    if (started) {
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
    // A renewal that completes at once leaves the handle signalled: the folder is then looked at again.
    // Wine may also let a change go unnotified, so the folder is looked at again whenever a short wait
    // ends, until the host program's change shows or the deadline passes.
    const ULONGLONG deadline = ::GetTickCount64() + 10000;
    while (started && isListed(path) != listed && ::GetTickCount64() < deadline) {
        if (::WaitForSingleObject(change, 100) == WAIT_OBJECT_0) ::FindNextChangeNotification(change);
    }
    ::FindCloseChangeNotification(change);
    return isListed(path) == listed;
}

std::wstring quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

/// Makes `link` a symbolic link to `target`. Wine's CreateSymbolicLinkW makes nothing, but Wine starts a
/// host program as it starts a Windows one: the host's ln then makes the link.
bool makeLink(const std::wstring& link, const std::wstring& target) {
    constexpr DWORD kUnprivileged = 0x2;
    const DWORD folder = (::GetFileAttributesW(target.c_str()) & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (::CreateSymbolicLinkW(link.c_str(), target.c_str(), folder | kUnprivileged) && isListed(link))
        return true;
    const std::wstring from = hostName(target);
    const std::wstring to = hostName(link);
    return !from.empty() && !to.empty() &&
           runOnHost(L"/bin/ln", L"-s " + quoted(from) + L" " + quoted(to), link, true);
}

/// Removes the link `link` itself. Wine would remove where it leads: the host's rm removes it there.
void removeLink(const std::wstring& link) {
    if (const std::wstring host = hostName(link); !host.empty()) {
        runOnHost(L"/bin/rm", L"-f " + quoted(host), link, false);
    } else if (!::DeleteFileW(link.c_str())) {
        ::RemoveDirectoryW(link.c_str());
    }
}

/// True when the system opens a link itself when asked to (Windows), not where it leads (Wine): only
/// there can a link below a held folder be removed or replaced without reaching its target.
bool opensLinksThemselves(const std::wstring& link) {
    const HANDLE handle = ::CreateFileW(
        link.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    BY_HANDLE_FILE_INFORMATION info{};
    const bool itself = handle != INVALID_HANDLE_VALUE && ::GetFileInformationByHandle(handle, &info) &&
                        (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (handle != INVALID_HANDLE_VALUE) ::CloseHandle(handle);
    return itself;
}

/// An installation and an update folder, held, beside a folder the links lead to.
class HeldFiles : public ::testing::Test {
  protected:
    HeldFiles() {
        writeFile(m_dir / "installation" / "app.dll", "installed");
        writeFile(m_dir / "update" / "app.dll", "new content");
        writeFile(m_dir / "outside" / "keep.txt", "keep");
        fs::create_directory(m_dir / "outside" / "empty");
    }

    /// Removes the links the test made before the temporary folder goes, which would go through them.
    ~HeldFiles() override {
        for (const std::wstring& link : m_links) removeLink(link);
    }

    std::wstring at(const std::wstring& relative) const {
        return programPath(m_dir.path()) + L"\\" + relative;
    }

    void link(const std::wstring& relative, const std::wstring& target) {
        m_links.push_back(at(relative));
        ASSERT_TRUE(makeLink(at(relative), at(target))) << toUtf8(relative);
    }

    void holdBoth() {
        m_files.holdFolder(at(L"installation"));
        m_files.holdFolder(at(L"update"));
    }

    /// Makes the call `what` in `folder`, below the temporary folder.
    void call(const std::function<void(FileServices&, const std::wstring&, const std::wstring&)>& what,
              const std::wstring& folder) {
        what(m_files, at(folder), at(L"installation"));
    }

    void expectOutsideUntouched() const {
        EXPECT_EQ(contentsOf(m_dir / "outside"),
                  (std::map<std::string, std::string>{{"empty", "<folder>"}, {"keep.txt", "keep"}}));
    }

    TempDir m_dir;
    HeldFolderFiles m_files;
    std::vector<std::wstring> m_links;
};

TEST_F(HeldFiles, StageCommitReadAndRemoveBelowTheHeldFolders) {
    link(L"current", L"update");
    m_files.holdFolder(at(L"installation//"));
    m_files.holdFolder(at(L"current"));
    const std::wstring modules = at(L"installation/modules");
    m_files.createFolder(modules);
    m_files.createFolder(modules + L"\\");
    m_files.writeFile(modules + L"\\a.dll", "previous");
    ASSERT_TRUE(::SetFileAttributesW((modules + L"\\a.dll").c_str(), FILE_ATTRIBUTE_READONLY));

    EXPECT_EQ(m_files.copyFile(at(L"current\\app.dll"), modules + L"\\a.dll", modules + L"\\a.dll.new"), 11u);
    EXPECT_NE(::GetFileAttributesW((modules + L"\\a.dll.new").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    m_files.flushFiles({modules + L"\\a.dll.new"});
    m_files.rename(modules + L"\\a.dll.new", modules + L"\\a.dll");
    m_files.flushFolders({modules, at(L"installation")});
    EXPECT_EQ(m_files.readFile(at(L"INSTALLATION\\Modules\\.\\gone\\..\\A.DLL"), 100), "new content");
    EXPECT_THROW(m_files.readFile(modules + L"\\a.dll", 5), Failure);
    EXPECT_EQ(m_files.spell(modules + L"\\A.DLL\\GONE"), at(L"installation\\modules\\a.dll\\GONE"));
    EXPECT_EQ(m_files.kindOf(modules), NodeKind::Folder);
    EXPECT_EQ(m_files.kindOf(modules + L"\\a.dll"), NodeKind::File);

    // The update folder is held under its real path too; a rename never leaves its held folder.
    m_files.writeFile(at(L"update\\written.txt"), "w");
    EXPECT_EQ(readFile(m_dir / "update" / "written.txt"), "w");
    EXPECT_THROW(m_files.rename(at(L"update\\written.txt"), modules + L"\\written.txt"), Failure);

    EXPECT_THROW(m_files.removeFolder(modules), Failure);
    EXPECT_THROW(m_files.removeFile(modules), Failure);
    m_files.removeFile(modules + L"\\a.dll");
    m_files.removeFolder(modules);
    EXPECT_EQ(m_files.kindOf(modules), NodeKind::Missing);
    EXPECT_EQ(m_files.readFile(modules + L"\\a.dll", 100), std::nullopt);
    EXPECT_EQ(contentsOf(m_dir / "installation"),
              (std::map<std::string, std::string>{{"app.dll", "installed"}}));
}

/// A call on the files, given the folder it acts in and the installation.
using Call = std::function<void(FileServices&, const std::wstring& folder, const std::wstring& installation)>;

struct CallCase {
    const char* name;
    Call call;
};

void PrintTo(const CallCase& row, std::ostream* out) { *out << row.name; }

const CallCase kChanges[] = {
    {"Write", [](auto& f, auto& d, auto&) { f.writeFile(d + L"\\new.txt", "x"); }},
    {"Stage",
     [](auto& f, auto& d, auto& i) { f.copyFile(i + L"\\app.dll", d + L"\\keep.txt", d + L"\\a.new"); }},
    {"CreateFolder", [](auto& f, auto& d, auto&) { f.createFolder(d + L"\\new"); }},
    {"RemoveFile", [](auto& f, auto& d, auto&) { f.removeFile(d + L"\\keep.txt"); }},
    {"RemoveFolder", [](auto& f, auto& d, auto&) { f.removeFolder(d + L"\\empty"); }},
    {"RenameOutOf", [](auto& f, auto& d, auto& i) { f.rename(d + L"\\keep.txt", i + L"\\kept.txt"); }},
    {"RenameInto", [](auto& f, auto& d, auto& i) { f.rename(i + L"\\app.dll", d + L"\\app.dll"); }},
    {"FlushFile", [](auto& f, auto& d, auto&) { f.flushFiles({d + L"\\keep.txt"}); }},
    {"FlushFolder", [](auto& f, auto& d, auto&) { f.flushFolders({d}); }},
};

/// Reads, which go by path outside the held folders, and so are refused only below them.
const CallCase kReads[] = {
    {"Read", [](auto& f, auto& d, auto&) { f.readFile(d + L"\\keep.txt", 100); }},
    {"CopyFrom",
     [](auto& f, auto& d, auto& i) { f.copyFile(d + L"\\keep.txt", i + L"\\app.dll", i + L"\\a.new"); }},
};

/// A folder the run may not act in, by its path below the temporary folder, and why.
struct Unreachable {
    const char* name;
    const wchar_t* folder;
    const char* reason;  ///< part of the failure's text
};

void PrintTo(const Unreachable& row, std::ostream* out) { *out << row.name; }

const Unreachable kOutside{"Outside", L"outside", "n'est dans aucun dossier que l'ex\u00E9cution tient ouvert"};
const Unreachable kBelowHeld[] = {
    {"BelowALink", L"installation\\dl", "un lien se trouve l\u00E0 o\u00F9 se trouvait un dossier"},
    {"ClimbingOutAsText", L"installation\\..\\outside", "sort du dossier"},
    {"InADevice", L"installation\\con", "Windows y lirait un autre nom"},
};

/// Links below the installation: a file link and a folder link to the outside folder.
class LinkedInstallation : public HeldFiles {
  protected:
    void SetUp() override {
        link(L"installation\\link.txt", L"outside\\keep.txt");
        link(L"installation\\dl", L"outside");
        holdBoth();
    }
};

class Refused : public LinkedInstallation,
                public ::testing::WithParamInterface<std::tuple<Unreachable, CallCase>> {};

TEST_P(Refused, ChangesNothing) {
    const auto& [place, row] = GetParam();
    const auto installation = contentsOf(m_dir / "installation");
    try {
        call(row.call, place.folder);
        ADD_FAILURE() << "the call went through";
    } catch (const Failure& failure) {
        EXPECT_NE(std::string(failure.what()).find(place.reason), std::string::npos) << failure.what();
    }
    expectOutsideUntouched();
    EXPECT_EQ(contentsOf(m_dir / "installation"), installation);
}

const auto kNames = [](const auto& info) {
    return std::string(std::get<0>(info.param).name) + std::get<1>(info.param).name;
};
INSTANTIATE_TEST_SUITE_P(Outside, Refused,
                         ::testing::Combine(::testing::Values(kOutside), ::testing::ValuesIn(kChanges)),
                         kNames);
INSTANTIATE_TEST_SUITE_P(BelowHeld, Refused,
                         ::testing::Combine(::testing::ValuesIn(kBelowHeld), ::testing::ValuesIn(kChanges)),
                         kNames);
INSTANTIATE_TEST_SUITE_P(BelowHeldReads, Refused,
                         ::testing::Combine(::testing::ValuesIn(kBelowHeld), ::testing::ValuesIn(kReads)),
                         kNames);

TEST_F(LinkedInstallation, LinksAreNeitherFilesNorFolders) {
    EXPECT_EQ(m_files.kindOf(at(L"installation\\link.txt")), NodeKind::Other);
    EXPECT_EQ(m_files.kindOf(at(L"installation\\dl")), NodeKind::Other);
    EXPECT_EQ(m_files.kindOf(at(L"installation\\dl\\keep.txt")), NodeKind::Other);
    const std::wstring spelled = m_files.spell(at(L"installation\\DL\\KEEP.TXT"));
    EXPECT_EQ(spelled.substr(spelled.size() - 9), L"\\KEEP.TXT");
}

/// A call on the link at the end of its path: refused, or on a system that opens a link itself, the link
/// removed or replaced, never its target.
struct LinkCase {
    const char* name;
    Call call;
    bool linkMayGo;
    const wchar_t* link;  ///< below the installation
};

void PrintTo(const LinkCase& row, std::ostream* out) { *out << row.name; }

class LinkAtTheEnd : public LinkedInstallation, public ::testing::WithParamInterface<LinkCase> {};

TEST_P(LinkAtTheEnd, NeverReachesWhereItLeads) {
    const LinkCase& row = GetParam();
    const std::wstring link = at(L"installation\\") + row.link;
    if (row.linkMayGo && opensLinksThemselves(link)) {
        EXPECT_NO_THROW(call(row.call, L"installation"));
        EXPECT_NE(m_files.kindOf(link), NodeKind::Other);
    } else {
        EXPECT_THROW(call(row.call, L"installation"), Failure);
        EXPECT_EQ(m_files.kindOf(link), NodeKind::Other);
    }
    expectOutsideUntouched();
    EXPECT_EQ(readFile(m_dir / "installation" / "app.dll"), "installed");
    EXPECT_FALSE(isListed(at(L"installation\\app.dll.new")));
}

const LinkCase kLinkCases[] = {
    {"Read", [](auto& f, auto& i, auto&) { f.readFile(i + L"\\link.txt", 100); }, false, L"link.txt"},
    {"CopyFrom",
     [](auto& f, auto& i, auto&) { f.copyFile(i + L"\\link.txt", i + L"\\app.dll", i + L"\\app.dll.new"); },
     false, L"link.txt"},
    {"Flush", [](auto& f, auto& i, auto&) { f.flushFiles({i + L"\\link.txt"}); }, false, L"link.txt"},
    {"RemoveAsFolder", [](auto& f, auto& i, auto&) { f.removeFolder(i + L"\\dl"); }, false, L"dl"},
    {"WriteOver", [](auto& f, auto& i, auto&) { f.writeFile(i + L"\\link.txt", "new"); }, true, L"link.txt"},
    {"StageOver",
     [](auto& f, auto& i, auto&) { f.copyFile(i + L"\\app.dll", i + L"\\link.txt", i + L"\\link.txt"); },
     true, L"link.txt"},
    {"RemoveFileLink", [](auto& f, auto& i, auto&) { f.removeFile(i + L"\\link.txt"); }, true, L"link.txt"},
    {"RemoveFolderLink", [](auto& f, auto& i, auto&) { f.removeFile(i + L"\\dl"); }, true, L"dl"},
};

INSTANTIATE_TEST_SUITE_P(Win32HeldFiles, LinkAtTheEnd, ::testing::ValuesIn(kLinkCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct SwapCase {
    const char* name;
    Call call;
    std::map<std::string, std::string> moved;  ///< the moved folder afterwards
    bool mayRefuse;  ///< a system that acts on names where Windows acts on handles (Wine) cannot do it safely
};

void PrintTo(const SwapCase& row, std::ostream* out) { *out << row.name; }

class FolderSwappedForALink : public HeldFiles, public ::testing::WithParamInterface<SwapCase> {};

TEST_P(FolderSwappedForALink, LaterChangesLandInTheRealFolder) {
    holdBoth();
    m_files.createFolder(at(L"installation\\modules"));
    m_files.writeFile(at(L"installation\\modules\\first.txt"), "first");
    ASSERT_TRUE(::MoveFileW(at(L"installation\\modules").c_str(), at(L"installation\\moved").c_str()));
    link(L"installation\\modules", L"outside");

    const SwapCase& row = GetParam();
    try {
        call(row.call, L"installation\\modules");
        EXPECT_EQ(contentsOf(m_dir / "installation" / "moved"), row.moved);
    } catch (const Failure& failure) {
        EXPECT_TRUE(row.mayRefuse) << failure.what();
        EXPECT_EQ(contentsOf(m_dir / "installation" / "moved"),
                  (std::map<std::string, std::string>{{"first.txt", "first"}}));
    }
    expectOutsideUntouched();
}

const SwapCase kSwapCases[] = {
    {"Write",
     [](auto& f, auto& m, auto&) { f.writeFile(m + L"\\later.txt", "later"); },
     {{"first.txt", "first"}, {"later.txt", "later"}},
     false},
    {"Stage",
     [](auto& f, auto& m, auto& i) { f.copyFile(i + L"\\app.dll", m + L"\\later.txt", m + L"\\later.txt"); },
     {{"first.txt", "first"}, {"later.txt", "installed"}},
     false},
    {"CreateFolder",
     [](auto& f, auto& m, auto&) { f.createFolder(m + L"\\later"); },
     {{"first.txt", "first"}, {"later", "<folder>"}},
     false},
    {"Rename",
     [](auto& f, auto& m, auto&) { f.rename(m + L"\\first.txt", m + L"\\later.txt"); },
     {{"later.txt", "first"}},
     true},
    {"RemoveFile", [](auto& f, auto& m, auto&) { f.removeFile(m + L"\\first.txt"); }, {}, true},
};

INSTANTIATE_TEST_SUITE_P(Win32HeldFiles, FolderSwappedForALink, ::testing::ValuesIn(kSwapCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace setup::test
