#include "platform/held_files.h"

#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/failure.h"
#include "platform/file_probe.h"
#include "platform/system_error_text.h"
#include "platform/text_codec.h"
#include "platform/win32/system_path.h"

namespace setup {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
/// Folder handles kept open below the held folders; past this many the run has wandered through a large
/// tree and starts again from its held folders, each reopening refusing links as the first did.
constexpr std::size_t kMostKeptFolders = 256;
constexpr DWORD kCopyBuffer = DWORD{1} << 20;
constexpr ACCESS_MASK kFolderAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES;
/// The attributes a copy carries over: those the user sets, not those the system manages.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
/// The attributes a program may give back to a file.
constexpr DWORD kSettableAttributes =
    kKeptAttributes | FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// The redirection-trust mitigation, which some headers do not know yet.
constexpr int kRedirectionTrustPolicy = 16;
constexpr DWORD kEnforceRedirectionTrust = 0x1;

constexpr NTSTATUS kStatusNoSuchFile = static_cast<NTSTATUS>(0xC000000F);
constexpr NTSTATUS kStatusAccessDenied = static_cast<NTSTATUS>(0xC0000022);
constexpr NTSTATUS kStatusNameNotFound = static_cast<NTSTATUS>(0xC0000034);
constexpr NTSTATUS kStatusNameCollision = static_cast<NTSTATUS>(0xC0000035);
constexpr NTSTATUS kStatusPathNotFound = static_cast<NTSTATUS>(0xC000003A);
constexpr NTSTATUS kStatusNameInvalid = static_cast<NTSTATUS>(0xC0000033);
constexpr NTSTATUS kStatusNotADirectory = static_cast<NTSTATUS>(0xC0000103);
constexpr NTSTATUS kStatusSharingViolation = static_cast<NTSTATUS>(0xC0000043);

bool succeeded(NTSTATUS status) { return status >= 0; }

bool isMissing(NTSTATUS status) {
    return status == kStatusNameNotFound || status == kStatusPathNotFound || status == kStatusNoSuchFile;
}

[[noreturn]] void fail(const std::string& what, const std::wstring& path, DWORD error) {
    throw Failure(what + " " + toUtf8(path) + " : " + systemErrorText(error));
}

[[noreturn]] void failOutside(const std::string& what, const std::wstring& path) {
    throw Failure(what + " " + toUtf8(path) +
                  " : le chemin n'est dans aucun dossier que l'ex\u00E9cution tient ouvert");
}

[[noreturn]] void failLink(const std::string& what, const std::wstring& path, const char* where) {
    throw Failure(what + " " + toUtf8(path) + " : un lien se trouve l\u00E0 o\u00F9 se trouvait " + where);
}

/// A function of a system DLL the process has loaded, looked up by name: the program links against no
/// import library of the native layer.
template <typename Function>
Function systemFunction(const wchar_t* module, const char* name) {
    const HMODULE handle = ::GetModuleHandleW(module);
    const FARPROC address = handle == nullptr ? nullptr : ::GetProcAddress(handle, name);
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}

/// The native calls that open by a folder's handle, which the Win32 layer has no way to do.
struct NativeCalls {
    decltype(&::NtCreateFile) createFile;
    decltype(&::NtSetInformationFile) setInformationFile;
    decltype(&::RtlNtStatusToDosError) statusToError;
};

const NativeCalls& native() {
    static const NativeCalls calls{
        systemFunction<decltype(&::NtCreateFile)>(L"ntdll.dll", "NtCreateFile"),
        systemFunction<decltype(&::NtSetInformationFile)>(L"ntdll.dll", "NtSetInformationFile"),
        systemFunction<decltype(&::RtlNtStatusToDosError)>(L"ntdll.dll", "RtlNtStatusToDosError")};
    if (calls.createFile == nullptr || calls.setInformationFile == nullptr || calls.statusToError == nullptr)
        throw Failure("le syst\u00E8me n'a pas les appels de fichiers natifs dont l'ex\u00E9cution a besoin");
    return calls;
}

[[noreturn]] void failStatus(const std::string& what, const std::wstring& path, NTSTATUS status) {
    fail(what, path, native().statusToError(status));
}

/// Where the system has it, a link planted by a user without the rights of the running program is never
/// followed by the system's own path walks either; older systems go without.
bool enforceRedirectionTrust() {
    using SetPolicy = BOOL(WINAPI*)(int, PVOID, SIZE_T);
    using GetPolicy = BOOL(WINAPI*)(HANDLE, int, PVOID, SIZE_T);
    const auto setPolicy = systemFunction<SetPolicy>(L"kernel32.dll", "SetProcessMitigationPolicy");
    const auto getPolicy = systemFunction<GetPolicy>(L"kernel32.dll", "GetProcessMitigationPolicy");
    if (setPolicy == nullptr || getPolicy == nullptr) return false;
    DWORD flags = kEnforceRedirectionTrust;
    if (setPolicy(kRedirectionTrustPolicy, &flags, sizeof flags) == 0) return false;
    // A system may accept the policy without knowing it: only the policy read back says it is on.
    DWORD applied = 0;
    return getPolicy(::GetCurrentProcess(), kRedirectionTrustPolicy, &applied, sizeof applied) != 0 &&
           (applied & kEnforceRedirectionTrust) != 0;
}

/// Closes a handle when it goes out of scope.
class Handle {
  public:
    Handle() = default;
    explicit Handle(HANDLE handle) : m_handle(handle) {}
    ~Handle() { close(); }
    Handle(Handle&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) {}
    Handle& operator=(Handle&& other) noexcept {
        if (this != &other) {
            close();
            m_handle = std::exchange(other.m_handle, nullptr);
        }
        return *this;
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    HANDLE get() const { return m_handle; }
    bool isOpen() const { return m_handle != nullptr && m_handle != INVALID_HANDLE_VALUE; }
    void reset(HANDLE handle) {
        close();
        m_handle = handle;
    }
    /// Closes now and answers whether the close succeeded.
    bool close() {
        const bool closed = !isOpen() || ::CloseHandle(m_handle) != 0;
        m_handle = nullptr;
        return closed;
    }

  private:
    HANDLE m_handle = nullptr;
};

// Program paths.

bool equalNames(std::wstring_view a, std::wstring_view b) {
    return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()),
                                  TRUE) == CSTR_EQUAL;
}

/// Orders names the way Windows tells them apart: without regard to letter case.
struct NameLess {
    bool operator()(const std::wstring& a, const std::wstring& b) const {
        return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                      static_cast<int>(b.size()), TRUE) == CSTR_LESS_THAN;
    }
};

bool startsWith(std::wstring_view text, std::wstring_view start) {
    return text.size() >= start.size() && text.compare(0, start.size(), start) == 0;
}

/// True when `path` is `folder` or lies below it.
bool isBelow(std::wstring_view path, std::wstring_view folder) {
    return path.size() >= folder.size() && equalNames(path.substr(0, folder.size()), folder) &&
           (path.size() == folder.size() || folder.empty() || path[folder.size()] == L'\\');
}

/// `path` with "\" between its components, one between each two, none at the end, and without the
/// extended prefix of a system path ("\\?\C:\..." is "C:\...", "\\?\UNC\server\..." is "\\server\...").
std::wstring normalized(std::wstring_view path) {
    std::wstring text;
    if (startsWith(path, L"\\\\?\\UNC\\")) {
        text = L"\\\\";
        path.remove_prefix(8);
    } else if (startsWith(path, L"\\\\?\\")) {
        path.remove_prefix(4);
    }
    for (const wchar_t c : path) {
        const bool separator = c == L'\\' || c == L'/';
        // The two leading separators of a share's path are one mark, not a repetition.
        if (separator && !text.empty() && text.back() == L'\\' && text != L"\\") continue;
        text += separator ? L'\\' : c;
    }
    while (text.size() > 1 && text.back() == L'\\' && text != L"\\\\") text.pop_back();
    return text;
}

std::vector<std::wstring> componentsOf(std::wstring_view relative) {
    std::vector<std::wstring> parts;
    std::size_t start = 0;
    while (start < relative.size()) {
        std::size_t end = relative.find(L'\\', start);
        if (end == std::wstring_view::npos) end = relative.size();
        if (end > start) parts.emplace_back(relative.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

/// True for a name that the Win32 layer hands on as it is: not a device ("CON", "NUL"...),
/// nothing it would trim (trailing dots and spaces), no stream (":"). The native calls would take any of
/// them literally and make an entry that other programs read as something else.
bool isPlainName(const std::wstring& name) {
    if (name.find(L':') != std::wstring::npos) return false;
    const std::wstring path = L"C:\\" + name;
    std::wstring full(path.size() + 8, L'\0');
    const DWORD length =
        ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    return length == path.size() && full.compare(0, length, path) == 0;
}

std::wstring lastComponent(const std::wstring& path) {
    const std::size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? path : path.substr(separator + 1);
}

// Handles.

/// What a call asks of NtCreateFile, besides the name.
struct OpenRequest {
    ACCESS_MASK access;
    ULONG share;
    ULONG disposition;
    ULONG options;
};

constexpr OpenRequest kOpenFolder{kFolderAccess, kShareAll, FILE_OPEN, FILE_DIRECTORY_FILE};
constexpr OpenRequest kOpenAttributes{FILE_READ_ATTRIBUTES, kShareAll, FILE_OPEN, 0};
constexpr OpenRequest kOpenForDeletion{DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, kShareAll,
                                       FILE_OPEN, 0};
/// Others may go on reading a file while it is read, none may write it.
constexpr OpenRequest kOpenForReading{GENERIC_READ, FILE_SHARE_READ, FILE_OPEN,
                                      FILE_NON_DIRECTORY_FILE | FILE_SEQUENTIAL_ONLY};
constexpr OpenRequest kOpenForFlush{GENERIC_WRITE | FILE_READ_ATTRIBUTES, kShareAll, FILE_OPEN,
                                    FILE_NON_DIRECTORY_FILE};
constexpr OpenRequest kCreateFile{GENERIC_WRITE | DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, 0,
                                  FILE_CREATE, FILE_NON_DIRECTORY_FILE};
constexpr OpenRequest kCreateFolder{kFolderAccess, kShareAll, FILE_CREATE, FILE_DIRECTORY_FILE};
/// Shares everything with the programs that have the file open: only one that refused to share deletion,
/// which a rename or a replacement needs, makes the open fail.
constexpr OpenRequest kOpenAsRenamer{DELETE, kShareAll, FILE_OPEN, FILE_NON_DIRECTORY_FILE};

/// Opens `name`, one component, in the folder open as `folder`. A reparse point there is opened itself,
/// never where it leads.
NTSTATUS openRelative(HANDLE folder, const std::wstring& name, const OpenRequest& request, Handle& opened) {
    if (name.empty() || name.size() > 32767) return kStatusNameInvalid;
    UNICODE_STRING text{};
    text.Buffer = const_cast<PWSTR>(name.c_str());
    text.Length = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    text.MaximumLength = text.Length;
    OBJECT_ATTRIBUTES object{};
    InitializeObjectAttributes(&object, &text, OBJ_CASE_INSENSITIVE, folder, nullptr);
    IO_STATUS_BLOCK io{};
    HANDLE handle = nullptr;
    const NTSTATUS status = native().createFile(
        &handle, request.access | SYNCHRONIZE, &object, &io, nullptr, FILE_ATTRIBUTE_NORMAL, request.share,
        request.disposition, request.options | FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT,
        nullptr, 0);
    if (succeeded(status)) opened.reset(handle);
    return status;
}

/// The folder open as `folder` opened once more, for what its kept handle may not do.
NTSTATUS reopenFolder(HANDLE folder, ACCESS_MASK access, Handle& opened) {
    UNICODE_STRING text{};
    OBJECT_ATTRIBUTES object{};
    InitializeObjectAttributes(&object, &text, OBJ_CASE_INSENSITIVE, folder, nullptr);
    IO_STATUS_BLOCK io{};
    HANDLE handle = nullptr;
    const NTSTATUS status =
        native().createFile(&handle, access | SYNCHRONIZE, &object, &io, nullptr, 0, kShareAll, FILE_OPEN,
                            FILE_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
    if (succeeded(status)) opened.reset(handle);
    return status;
}

/// The name of the open file in its volume ("\folder\file"); nothing when the system cannot tell.
std::optional<std::wstring> nameInVolume(HANDLE handle) {
    std::vector<ULONGLONG> buffer(128);
    for (;;) {
        auto* info = reinterpret_cast<FILE_NAME_INFO*>(buffer.data());
        const DWORD size = static_cast<DWORD>(buffer.size() * sizeof(ULONGLONG));
        if (::GetFileInformationByHandleEx(handle, FileNameInfo, info, size))
            return std::wstring(info->FileName, info->FileNameLength / sizeof(wchar_t));
        if (::GetLastError() != ERROR_MORE_DATA || size > 70000) return std::nullopt;
        buffer.resize(buffer.size() * 4);
    }
}

/// True when `opened` is the entry `name` of the folder open as `folder` itself. A system that does not
/// honour FILE_OPEN_REPARSE_POINT (Wine) opens where a link leads, and names the open file by where it
/// is: the name then differs. So does the name of a folder whose place was taken by a link after it was
/// opened, on such a system, which acts on names where Windows acts on handles.
bool isEntryOf(HANDLE folder, const std::wstring& name, HANDLE opened) {
    const std::optional<std::wstring> folderName = nameInVolume(folder);
    const std::optional<std::wstring> openedName = nameInVolume(opened);
    if (!folderName || !openedName) return false;
    std::wstring expected = *folderName;
    if (expected.empty() || expected.back() != L'\\') expected += L'\\';
    return equalNames(expected + name, *openedName);
}

/// True when the folder open as `folder` is still where its name leads.
bool isInPlace(HANDLE folder) {
    Handle again;
    if (!succeeded(reopenFolder(folder, FILE_READ_ATTRIBUTES, again))) return false;
    const std::optional<std::wstring> name = nameInVolume(folder);
    const std::optional<std::wstring> againName = nameInVolume(again.get());
    return name && againName && equalNames(*name, *againName);
}

/// What an open entry of a folder is: Redirected when the system opened something else than the entry
/// itself (where a link leads), Link when it opened the link itself.
enum class Entry { File, Folder, Link, Redirected, Other };

struct OpenEntry {
    Handle handle;
    Entry entry = Entry::Other;
    DWORD attributes = 0;
};

DWORD attributesOf(HANDLE handle) {
    FILE_BASIC_INFO basic{};
    if (!::GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic))
        return INVALID_FILE_ATTRIBUTES;
    return basic.FileAttributes;
}

Entry entryOf(HANDLE folder, const std::wstring& name, HANDLE opened, DWORD attributes) {
    if (attributes == INVALID_FILE_ATTRIBUTES) return Entry::Other;
    if (!isEntryOf(folder, name, opened)) return Entry::Redirected;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return Entry::Link;
    if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0) return Entry::Other;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? Entry::Folder : Entry::File;
}

NTSTATUS openEntry(HANDLE folder, const std::wstring& name, const OpenRequest& request, OpenEntry& opened) {
    const NTSTATUS status = openRelative(folder, name, request, opened.handle);
    if (!succeeded(status)) return status;
    opened.attributes = attributesOf(opened.handle.get());
    opened.entry = entryOf(folder, name, opened.handle.get(), opened.attributes);
    return status;
}

bool setAttributes(HANDLE handle, DWORD attributes) {
    FILE_BASIC_INFO basic{};  // times of zero are left as they are
    basic.FileAttributes = attributes & kSettableAttributes;
    if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    return ::SetFileInformationByHandle(handle, FileBasicInfo, &basic, sizeof basic) != 0;
}

bool markForDeletion(HANDLE handle) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    return ::SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition) != 0;
}

/// Deletes the entry open with DELETE access as `opened`, a read-only one too: Windows refuses to delete
/// one, so the attribute is lifted for the deletion and given back when the deletion fails.
void deleteOpened(const OpenEntry& opened, const std::wstring& shown) {
    const bool readOnly = (opened.attributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (readOnly && !setAttributes(opened.handle.get(), opened.attributes & ~FILE_ATTRIBUTE_READONLY))
        fail("impossible de supprimer", shown, ::GetLastError());
    if (!markForDeletion(opened.handle.get())) {
        const DWORD error = ::GetLastError();
        if (readOnly) setAttributes(opened.handle.get(), opened.attributes);
        fail("impossible de supprimer", shown, error);
    }
}

/// Takes away the file or link `name` of the folder, so that what is written there next is a new file and
/// never goes through what was there. Nothing there is no failure.
void clearPlace(HANDLE folder, const std::wstring& name, const std::wstring& shown) {
    OpenEntry there;
    const NTSTATUS status = openEntry(folder, name, kOpenForDeletion, there);
    if (isMissing(status)) return;
    if (!succeeded(status)) failStatus("impossible de remplacer", shown, status);
    if (there.entry == Entry::Folder) fail("impossible de remplacer le dossier", shown, ERROR_DIRECTORY);
    if (there.entry == Entry::Redirected) failLink("impossible de remplacer", shown, "un fichier");
    if (there.entry == Entry::Other) fail("impossible de remplacer", shown, ERROR_INVALID_FUNCTION);
    deleteOpened(there, shown);
    there.handle.close();
}

/// Creates the new file `name` in the folder, for writing. What stands there is taken away first, so that
/// the write never goes through it; nothing usually stands there, and the creation is then asked once.
Handle createFresh(HANDLE folder, const std::wstring& name, const std::wstring& shown) {
    Handle created;
    NTSTATUS status = openRelative(folder, name, kCreateFile, created);
    if (status == kStatusNameCollision) {
        clearPlace(folder, name, shown);
        status = openRelative(folder, name, kCreateFile, created);
    }
    if (!succeeded(status)) failStatus("impossible de cr\u00E9er", shown, status);
    return created;
}

/// Removes the file this run has just created as `created`, when what it was meant to hold could not be
/// written. Left alone when its name no longer leads to it: removing by that name could reach elsewhere.
void discardCreated(HANDLE folder, const std::wstring& name, Handle& created) {
    if (isEntryOf(folder, name, created.get())) markForDeletion(created.get());
    created.close();
}

void writeAll(HANDLE handle, const char* data, std::size_t size, const std::wstring& shown) {
    while (size > 0) {
        const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
        DWORD count = 0;
        if (!::WriteFile(handle, data, chunk, &count, nullptr))
            fail("impossible d'\u00E9crire", shown, ::GetLastError());
        data += count;
        size -= count;
    }
}

/// Reads up to `size` bytes; 0 at the end of the file.
std::size_t readSome(HANDLE handle, char* data, DWORD size, const std::wstring& shown) {
    DWORD count = 0;
    if (!::ReadFile(handle, data, size, &count, nullptr)) fail("impossible de lire", shown, ::GetLastError());
    return count;
}

/// Copies the rest of `in` to `out` through a large buffer, the fewest calls into the system; answers the
/// bytes copied.
std::uint64_t copyContent(HANDLE in, HANDLE out, const std::wstring& source,
                          const std::wstring& destination) {
    const std::unique_ptr<char[]> buffer(new char[kCopyBuffer]);
    std::uint64_t copied = 0;
    while (const std::size_t count = readSome(in, buffer.get(), kCopyBuffer, source)) {
        writeAll(out, buffer.get(), count, destination);
        copied += count;
    }
    return copied;
}

/// Copies the rest of `in` to `out` through the buffer, digesting each block as it is written, and stops
/// once one byte more than `check.limit` is written; answers the bytes copied.
std::uint64_t copyChecked(HANDLE in, HANDLE out, CopyCheck& check, const std::wstring& source,
                          const std::wstring& destination) {
    const std::unique_ptr<char[]> buffer(new char[kCopyBuffer]);
    Sha256 digest;
    std::uint64_t copied = 0;
    while (copied <= check.limit) {
        const std::uint64_t room = check.limit - copied + 1;
        const DWORD want = room < kCopyBuffer ? static_cast<DWORD>(room) : static_cast<DWORD>(kCopyBuffer);
        const std::size_t count = readSome(in, buffer.get(), want, source);
        if (count == 0) break;
        writeAll(out, buffer.get(), count, destination);
        digest.update(buffer.get(), count);
        copied += count;
    }
    check.digest = digest.finish();
    return copied;
}

[[noreturn]] void failTooLarge(const std::wstring& path, std::size_t limit) {
    throw Failure("impossible de lire " + toUtf8(path) + " : il d\u00E9passe " + std::to_string(limit) +
                  " octets");
}

/// The whole content of the open file, which may hold no more than `limit` bytes: its size is asked
/// first, and a file that grows meanwhile is stopped at the limit.
std::string readWithin(HANDLE handle, std::size_t limit, const std::wstring& shown) {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(handle, &size)) fail("impossible d'examiner", shown, ::GetLastError());
    if (static_cast<std::uint64_t>(size.QuadPart) > limit) failTooLarge(shown, limit);
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(size.QuadPart));
    char buffer[65536];
    while (const std::size_t count = readSome(handle, buffer, sizeof buffer, shown)) {
        if (bytes.size() + count > limit) failTooLarge(shown, limit);
        bytes.append(buffer, count);
    }
    return bytes;
}

/// The name the folder stores the open entry `given` by, when the system tells it; else `given`.
std::wstring storedName(HANDLE handle, const std::wstring& given) {
    const std::wstring stored = lastComponent(normalized(finalPathOf(handle)));
    return !stored.empty() && equalNames(stored, given) ? stored : given;
}

/// Opens by path, for reading, the regular file `path` that lies outside every held folder.
Handle openRegularByPath(const std::wstring& path) {
    Handle file(::CreateFileW(systemPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.isOpen()) fail("impossible d'ouvrir", path, ::GetLastError());
    const DWORD attributes = attributesOf(file.get());
    if (::GetFileType(file.get()) != FILE_TYPE_DISK || attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        fail("pas un fichier ordinaire :", path, ERROR_INVALID_FUNCTION);
    }
    return file;
}

/// The content of the regular file `path` outside every held folder; nothing when nothing is there.
std::optional<std::string> readByPath(const std::wstring& path, std::size_t limit) {
    if (::GetFileAttributesW(systemPath(path).c_str()) == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return std::nullopt;
        fail("impossible d'examiner", path, error);
    }
    const Handle file = openRegularByPath(path);
    return readWithin(file.get(), limit, path);
}

DWORD keptAttributes(DWORD attributes) {
    const DWORD kept = attributes & kKeptAttributes;
    return kept == 0 ? FILE_ATTRIBUTE_NORMAL : kept;
}

NodeKind kindOfEntry(Entry entry) {
    switch (entry) {
        case Entry::File:
            return NodeKind::File;
        case Entry::Folder:
            return NodeKind::Folder;
        default:
            return NodeKind::Other;
    }
}

/// Renames the entry open with DELETE access as `opened` to `name` in the folder open as `folder`,
/// replacing a file there.
NTSTATUS renameOpened(HANDLE opened, HANDLE folder, const std::wstring& name) {
    const std::size_t nameBytes = name.size() * sizeof(wchar_t);
    const std::size_t nameOffset = offsetof(FILE_RENAME_INFORMATION, FileName);
    const std::size_t size = std::max(sizeof(FILE_RENAME_INFORMATION), nameOffset + nameBytes);
    std::vector<ULONGLONG> buffer(size / sizeof(ULONGLONG) + 1);
    auto* info = reinterpret_cast<FILE_RENAME_INFORMATION*>(buffer.data());
    info->ReplaceIfExists = TRUE;
    info->RootDirectory = folder;
    info->FileNameLength = static_cast<ULONG>(nameBytes);
    std::memcpy(reinterpret_cast<char*>(buffer.data()) + nameOffset, name.data(), nameBytes);
    IO_STATUS_BLOCK io{};
    return native().setInformationFile(opened, &io, info, static_cast<ULONG>(size), FileRenameInformation);
}

constexpr OpenRequest kOpenToSetAttributes{FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, kShareAll, FILE_OPEN,
                                           FILE_NON_DIRECTORY_FILE};

/// Lifts the read-only attribute of the regular file `name`; the attributes it had, or nothing when it is
/// no read-only file or keeps its attribute.
std::optional<DWORD> liftReadOnly(HANDLE folder, const std::wstring& name) {
    OpenEntry file;
    if (!succeeded(openEntry(folder, name, kOpenToSetAttributes, file)) || file.entry != Entry::File ||
        (file.attributes & FILE_ATTRIBUTE_READONLY) == 0 ||
        !setAttributes(file.handle.get(), file.attributes & ~FILE_ATTRIBUTE_READONLY)) {
        return std::nullopt;
    }
    return file.attributes;
}

void giveBackAttributes(HANDLE folder, const std::wstring& name, DWORD attributes) {
    OpenEntry file;
    if (succeeded(openEntry(folder, name, kOpenToSetAttributes, file)) && file.entry == Entry::File)
        setAttributes(file.handle.get(), attributes);
}

/// Windows refuses to replace a read-only file where a rename elsewhere would not: the commit puts a
/// moved-aside read-only file back over its replacement, so the attribute is lifted for the rename and
/// given back when the rename fails.
NTSTATUS renameOverReadOnly(HANDLE opened, HANDLE folder, const std::wstring& name) {
    const std::optional<DWORD> attributes = liftReadOnly(folder, name);
    if (!attributes) return kStatusAccessDenied;
    const NTSTATUS renamed = renameOpened(opened, folder, name);
    if (!succeeded(renamed)) giveBackAttributes(folder, name, *attributes);
    return renamed;
}

/// Opens the file `name` for writing to flush it. A read-only file refuses writers: its attribute is
/// lifted for the open only, the handle keeping its access once the attribute is back.
Handle openForFlush(HANDLE folder, const std::wstring& name, const std::wstring& shown) {
    OpenEntry file;
    NTSTATUS status = openEntry(folder, name, kOpenForFlush, file);
    if (status == kStatusAccessDenied) {
        if (const std::optional<DWORD> attributes = liftReadOnly(folder, name)) {
            status = openEntry(folder, name, kOpenForFlush, file);
            giveBackAttributes(folder, name, *attributes);
        }
    }
    if (!succeeded(status)) failStatus("impossible d'ouvrir", shown, status);
    if (file.entry == Entry::Redirected || file.entry == Entry::Link)
        failLink("impossible d'\u00E9crire sur le disque", shown, "un fichier");
    if (file.entry != Entry::File) fail("pas un fichier ordinaire :", shown, ERROR_INVALID_FUNCTION);
    return std::move(file.handle);
}

}  // namespace

/// A folder the run holds, under the spellings it was given and found by, with the folders below it that
/// calls reached, by their path below it.
struct HeldRoot {
    std::vector<std::wstring> prefixes;
    Handle handle;
    std::map<std::wstring, Handle, NameLess> below;
};

/// A path below a held folder: the spelling of the held folder it was found under and its components
/// below.
struct Place {
    HeldRoot* root;
    std::wstring prefix;
    std::vector<std::wstring> parts;
    const char* flaw;  ///< why the run may not use the path, or nothing

    /// The program path of the first `count` components.
    std::wstring shown(std::size_t count) const {
        std::wstring text = prefix;
        for (std::size_t i = 0; i < count && i < parts.size(); ++i) text += L'\\' + parts[i];
        return text;
    }
    std::wstring shown() const { return shown(parts.size()); }
    /// The key of the first `count` components among the folders kept below the held folder.
    std::wstring key(std::size_t count) const {
        std::wstring text;
        for (std::size_t i = 0; i < count; ++i) text += (i == 0 ? L"" : L"\\") + parts[i];
        return text;
    }
    const std::wstring& leaf() const { return parts.back(); }
};

/// How far a walk down the folders of a place went.
enum class Reach { Reached, Missing, NotFolder, Link, Refused };

struct FolderReach {
    Reach outcome;
    HANDLE folder;      ///< the last folder reached
    std::size_t depth;  ///< components reached
    DWORD error;
};

struct HeldFolderFiles::Folders {
    std::vector<std::unique_ptr<HeldRoot>> roots;
    std::size_t kept = 0;

    std::optional<Place> locate(const std::wstring& path) {
        const std::wstring text = normalized(path);
        std::optional<Place> found;
        for (const auto& root : roots) {
            for (const std::wstring& prefix : root->prefixes) {
                if (!isBelow(text, prefix) || (found && found->prefix.size() >= prefix.size())) continue;
                found = Place{root.get(), prefix, componentsOf(std::wstring_view(text).substr(prefix.size())),
                              nullptr};
            }
        }
        if (found) resolveDots(*found);
        return found;
    }

    /// Below a held folder no link is followed, so ".." takes back the name before it, as text.
    static void resolveDots(Place& place) {
        std::vector<std::wstring> kept;
        for (std::wstring& part : place.parts) {
            if (part == L".") continue;
            if (part != L"..") {
                if (!isPlainName(part))
                    place.flaw =
                        "Windows y lirait un autre nom (un p\u00E9riph\u00E9rique, un flux, des points "
                        "\u00E0 la fin)";
                kept.push_back(std::move(part));
            } else if (kept.empty()) {
                place.flaw = "il sort du dossier o\u00F9 il se trouve";
            } else {
                kept.pop_back();
            }
        }
        place.parts = std::move(kept);
    }

    /// The place of `path`, which a change is asked for: below a held folder and plain.
    Place changePlace(const std::wstring& path, const std::string& what) {
        bound();
        std::optional<Place> place = locate(path);
        if (!place) failOutside(what, path);
        requirePlain(*place, what);
        return std::move(*place);
    }

    static void requirePlain(const Place& place, const std::string& what) {
        if (place.flaw != nullptr) throw Failure(what + " " + toUtf8(place.shown()) + " : " + place.flaw);
    }

    /// Walks down the first `count` folders of `place`, each opened from its parent's handle with links
    /// refused, or found kept from an earlier call.
    FolderReach reach(const Place& place, std::size_t count) {
        HANDLE folder = place.root->handle.get();
        for (std::size_t depth = 0; depth < count; ++depth) {
            const std::wstring key = place.key(depth + 1);
            if (const auto kept = place.root->below.find(key); kept != place.root->below.end()) {
                folder = kept->second.get();
                continue;
            }
            OpenEntry next;
            const NTSTATUS status = openEntry(folder, place.parts[depth], kOpenFolder, next);
            if (!succeeded(status)) {
                const Reach outcome = isMissing(status)                ? Reach::Missing
                                      : status == kStatusNotADirectory ? Reach::NotFolder
                                                                       : Reach::Refused;
                return {outcome, folder, depth, native().statusToError(status)};
            }
            if (next.entry == Entry::Link || next.entry == Entry::Redirected)
                return {Reach::Link, folder, depth, ERROR_CANT_ACCESS_FILE};
            if (next.entry != Entry::Folder) return {Reach::NotFolder, folder, depth, ERROR_DIRECTORY};
            folder = keep(*place.root, key, std::move(next.handle));
        }
        return {Reach::Reached, folder, count, ERROR_SUCCESS};
    }

    /// The handle of the first `count` folders of `place`; throws Failure when one cannot be reached.
    HANDLE folderAt(const Place& place, std::size_t count) {
        const FolderReach reached = reach(place, count);
        const std::wstring shown = place.shown(reached.depth + 1);
        switch (reached.outcome) {
            case Reach::Reached:
                return reached.folder;
            case Reach::Link:
                failLink("impossible de passer par", shown, "un dossier");
            case Reach::NotFolder:
                fail("pas un dossier :", shown, ERROR_DIRECTORY);
            default:
                fail("impossible d'ouvrir le dossier", shown, reached.error);
        }
    }

    /// The folder that holds the last component of `place`, which must have one.
    HANDLE parentOf(const Place& place, const std::string& what) {
        if (place.parts.empty())
            throw Failure(what + " " + toUtf8(place.shown()) +
                          " : c'est un dossier que l'ex\u00E9cution tient ouvert");
        return folderAt(place, place.parts.size() - 1);
    }

    /// Starts a call: past the bound the kept folders are closed, never during a call, which may still
    /// use the handles it reached.
    void bound() {
        if (kept >= kMostKeptFolders) forgetAllBelow();
    }

    HANDLE keep(HeldRoot& root, const std::wstring& key, Handle folder) {
        const HANDLE handle = folder.get();
        // A folder created where a kept one was removed behind the run's back takes its place.
        if (root.below.insert_or_assign(key, std::move(folder)).second) ++kept;
        return handle;
    }

    void forgetAllBelow() {
        for (const auto& root : roots) root->below.clear();
        kept = 0;
    }

    /// Closes the kept handles of the folder `key` and of every folder below it, before it is renamed or
    /// removed: an open handle below a folder stops both.
    void forget(HeldRoot& root, const std::wstring& key) {
        for (auto it = root.below.begin(); it != root.below.end();) {
            if (isBelow(it->first, key)) {
                it = root.below.erase(it);
                --kept;
            } else {
                ++it;
            }
        }
    }

    void hold(const std::wstring& folder) {
        Handle handle(::CreateFileW(systemPath(folder).c_str(), kFolderAccess | SYNCHRONIZE, kShareAll,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (!handle.isOpen()) fail("impossible de tenir ouvert le dossier", folder, ::GetLastError());
        const DWORD attributes = attributesOf(handle.get());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            fail("pas un dossier :", folder, ERROR_DIRECTORY);
        const std::wstring given = normalized(folder);
        const std::wstring real = normalized(finalPathOf(handle.get()));
        for (const auto& root : roots) {
            if (real.empty() || root->prefixes.size() < 2 || !equalNames(root->prefixes[1], real)) continue;
            if (!hasPrefix(*root, given)) root->prefixes.push_back(given);
            return;
        }
        auto root = std::make_unique<HeldRoot>();
        root->prefixes = {given, real.empty() ? given : real};
        root->handle = std::move(handle);
        roots.push_back(std::move(root));
    }

    /// The attributes of `installed` when it is a regular file.
    std::optional<DWORD> installedAttributes(const std::wstring& installed) {
        const std::optional<Place> place = locate(installed);
        if (!place) {
            const DWORD attributes = ::GetFileAttributesW(systemPath(installed).c_str());
            if (attributes == INVALID_FILE_ATTRIBUTES ||
                (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
                return std::nullopt;
            }
            return attributes;
        }
        if (place->flaw != nullptr || place->parts.empty()) return std::nullopt;
        const FolderReach reached = reach(*place, place->parts.size() - 1);
        OpenEntry entry;
        if (reached.outcome != Reach::Reached ||
            !succeeded(openEntry(reached.folder, place->leaf(), kOpenAttributes, entry)) ||
            entry.entry != Entry::File) {
            return std::nullopt;
        }
        return entry.attributes;
    }

    static bool hasPrefix(const HeldRoot& root, const std::wstring& prefix) {
        for (const std::wstring& known : root.prefixes)
            if (equalNames(known, prefix)) return true;
        return false;
    }

    /// Removes the file `path`, a read-only one too unless `readOnlyKept`.
    void remove(const std::wstring& path, bool readOnlyKept) {
        const Place place = changePlace(path, "impossible de supprimer");
        const HANDLE folder = parentOf(place, "impossible de supprimer");
        OpenEntry file;
        const NTSTATUS status = openEntry(folder, place.leaf(), kOpenForDeletion, file);
        if (!succeeded(status)) failStatus("impossible de supprimer", path, status);
        if (file.entry == Entry::Folder) throw Failure("refus de supprimer le dossier " + toUtf8(path));
        if (file.entry == Entry::Redirected) failLink("impossible de supprimer", path, "un fichier");
        if (file.entry == Entry::Other) fail("impossible de supprimer", path, ERROR_INVALID_FUNCTION);
        // The system's own deletion refuses a read-only file; the program's own files go all the same.
        if (readOnlyKept && (file.attributes & FILE_ATTRIBUTE_READONLY) != 0)
            fail("impossible de supprimer", path, ERROR_ACCESS_DENIED);
        deleteOpened(file, path);
    }
};

HeldFolderFiles::HeldFolderFiles() : m_folders(std::make_unique<Folders>()) {}

HeldFolderFiles::~HeldFolderFiles() { releaseAll(); }

void HeldFolderFiles::releaseAll() {
    m_folders->forgetAllBelow();
    m_folders->roots.clear();
}

bool systemRefusesPlantedLinks() {
    static const bool trusted = enforceRedirectionTrust();
    return trusted;
}

void HeldFolderFiles::holdFolder(const std::wstring& folder) {
    systemRefusesPlantedLinks();
    m_folders->hold(folder);
}

NodeKind HeldFolderFiles::kindOf(const std::wstring& path) {
    try {
        m_folders->bound();
        const std::optional<Place> place = m_folders->locate(path);
        if (!place) return kindNoFollow(path);
        if (place->flaw != nullptr) return NodeKind::Other;
        if (place->parts.empty()) return NodeKind::Folder;
        const FolderReach reached = m_folders->reach(*place, place->parts.size() - 1);
        if (reached.outcome == Reach::Missing || reached.outcome == Reach::NotFolder)
            return NodeKind::Missing;
        if (reached.outcome != Reach::Reached) return NodeKind::Other;
        OpenEntry entry;
        const NTSTATUS status = openEntry(reached.folder, place->leaf(), kOpenAttributes, entry);
        if (isMissing(status)) return NodeKind::Missing;
        return succeeded(status) ? kindOfEntry(entry.entry) : NodeKind::Other;
    } catch (...) {
        // A path the system cannot resolve, or a device, is nothing the run may touch.
        return NodeKind::Other;
    }
}

std::wstring HeldFolderFiles::spell(const std::wstring& path) {
    m_folders->bound();
    const std::optional<Place> place = m_folders->locate(path);
    if (!place) return spelledAsStored(path);
    Folders::requirePlain(*place, "impossible de retrouver l'orthographe de");
    std::wstring spelled = place->prefix;
    HANDLE folder = place->root->handle.get();
    bool looking = true;
    for (std::size_t i = 0; i < place->parts.size(); ++i) {
        std::wstring part = place->parts[i];
        OpenEntry entry;
        if (looking && succeeded(openEntry(folder, part, kOpenAttributes, entry))) {
            if (entry.entry != Entry::Redirected) part = storedName(entry.handle.get(), part);
            const FolderReach next = entry.entry == Entry::Folder
                                         ? m_folders->reach(*place, i + 1)
                                         : FolderReach{Reach::NotFolder, folder, i, 0};
            looking = next.outcome == Reach::Reached;
            folder = next.folder;
        } else {
            looking = false;
        }
        spelled += L'\\' + part;
    }
    return spelled;
}

std::wstring HeldFolderFiles::realPath(const std::wstring& path) {
    const std::wstring real = realLocation(path);
    return normalized(real);
}

bool HeldFolderFiles::nameFits(const std::wstring& name) { return nameFitsSystem(name); }

std::uint64_t HeldFolderFiles::copyFile(const std::wstring& source, const std::wstring& installed,
                                        const std::wstring& staged, CopyCheck* check) {
    const Place target = m_folders->changePlace(staged, "impossible de placer une copie provisoire en");
    const HANDLE folder = m_folders->parentOf(target, "impossible de placer une copie provisoire en");
    Handle in;
    DWORD attributes = FILE_ATTRIBUTE_NORMAL;
    if (const std::optional<Place> from = m_folders->locate(source)) {
        Folders::requirePlain(*from, "impossible de copier");
        OpenEntry entry;
        const HANDLE folder =
            m_folders->parentOf(*from, "impossible de copier");  // first: it refuses a path with no name
        const NTSTATUS status = openEntry(folder, from->leaf(), kOpenForReading, entry);
        if (!succeeded(status)) failStatus("impossible d'ouvrir", source, status);
        if (entry.entry == Entry::Redirected || entry.entry == Entry::Link)
            failLink("impossible de copier", source, "un fichier");
        if (entry.entry != Entry::File) fail("pas un fichier ordinaire :", source, ERROR_INVALID_FUNCTION);
        in = std::move(entry.handle);
        attributes = entry.attributes;
    } else {
        in = openRegularByPath(source);
        attributes = attributesOf(in.get());
    }
    if (const std::optional<DWORD> own = m_folders->installedAttributes(installed)) attributes = *own;
    attributes = keptAttributes(attributes);

    Handle out = createFresh(folder, target.leaf(), staged);
    std::uint64_t copied = 0;
    try {
        copied = check ? copyChecked(in.get(), out.get(), *check, source, staged)
                       : copyContent(in.get(), out.get(), source, staged);
        if (attributes != FILE_ATTRIBUTE_NORMAL && !setAttributes(out.get(), attributes))
            fail("impossible de fixer les attributs de", staged, ::GetLastError());
    } catch (...) {
        discardCreated(folder, target.leaf(), out);
        throw;
    }
    if (!out.close()) fail("impossible de fermer", staged, ::GetLastError());
    return copied;
}

void HeldFolderFiles::writeFile(const std::wstring& path, const std::string& bytes) {
    const Place place = m_folders->changePlace(path, "impossible d'\u00E9crire");
    const HANDLE folder = m_folders->parentOf(place, "impossible d'\u00E9crire");
    Handle out = createFresh(folder, place.leaf(), path);
    try {
        writeAll(out.get(), bytes.data(), bytes.size(), path);
    } catch (...) {
        discardCreated(folder, place.leaf(), out);
        throw;
    }
    if (!out.close()) fail("impossible de fermer", path, ::GetLastError());
}

std::optional<std::string> HeldFolderFiles::readFile(const std::wstring& path, std::size_t limit) {
    m_folders->bound();
    const std::optional<Place> place = m_folders->locate(path);
    if (!place) return readByPath(path, limit);
    Folders::requirePlain(*place, "impossible de lire");
    if (place->parts.empty()) fail("pas un fichier ordinaire :", path, ERROR_DIRECTORY);
    const FolderReach reached = m_folders->reach(*place, place->parts.size() - 1);
    if (reached.outcome == Reach::Missing || reached.outcome == Reach::NotFolder) return std::nullopt;
    const HANDLE folder = m_folders->folderAt(*place, place->parts.size() - 1);
    OpenEntry entry;
    const NTSTATUS status = openEntry(folder, place->leaf(), kOpenForReading, entry);
    if (isMissing(status)) return std::nullopt;
    if (!succeeded(status)) failStatus("impossible d'ouvrir", path, status);
    if (entry.entry == Entry::Redirected || entry.entry == Entry::Link)
        failLink("impossible de lire", path, "un fichier");
    if (entry.entry != Entry::File) fail("pas un fichier ordinaire :", path, ERROR_INVALID_FUNCTION);
    return readWithin(entry.handle.get(), limit, path);
}

void HeldFolderFiles::flushFiles(const std::vector<std::wstring>& paths) {
    for (const std::wstring& path : paths) {
        const Place place = m_folders->changePlace(path, "impossible d'\u00E9crire sur le disque");
        const HANDLE folder = m_folders->parentOf(place, "impossible d'\u00E9crire sur le disque");
        const Handle file = openForFlush(folder, place.leaf(), path);
        if (!::FlushFileBuffers(file.get()))
            fail("impossible d'\u00E9crire sur le disque", path, ::GetLastError());
    }
}

void HeldFolderFiles::flushFolders(const std::vector<std::wstring>& folders) {
    for (const std::wstring& path : folders) {
        const Place place = m_folders->changePlace(path, "impossible d'\u00E9crire sur le disque le dossier");
        const HANDLE folder = m_folders->folderAt(place, place.parts.size());
        // NTFS writes a folder's entries back when its handle is flushed; a file system or a user that
        // refuses the open or the flush wrote them through already.
        Handle writable;
        if (succeeded(reopenFolder(folder, GENERIC_READ | GENERIC_WRITE, writable)))
            ::FlushFileBuffers(writable.get());
    }
}

void HeldFolderFiles::rename(const std::wstring& from, const std::wstring& to) {
    const Place source = m_folders->changePlace(from, "impossible de renommer");
    const Place target = m_folders->changePlace(to, "impossible de renommer " + toUtf8(from) + " to");
    if (source.root != target.root)
        throw Failure("impossible de renommer " + toUtf8(from) + " hors de son dossier tenu ouvert");
    // A folder renamed, or renamed over, goes with every handle kept below it: NTFS refuses to rename a
    // folder with open handles below it, and its path would lead to another folder afterwards.
    m_folders->forget(*source.root, source.key(source.parts.size()));
    m_folders->forget(*target.root, target.key(target.parts.size()));
    const HANDLE sourceFolder = m_folders->parentOf(source, "impossible de renommer");
    const HANDLE targetFolder = m_folders->parentOf(target, "impossible de renommer " + toUtf8(from) + " to");
    if (!isInPlace(targetFolder))
        failLink("impossible de renommer " + toUtf8(from) + " vers", to, "un dossier");

    OpenEntry moved;
    const NTSTATUS status = openEntry(sourceFolder, source.leaf(), kOpenForDeletion, moved);
    if (!succeeded(status)) failStatus("impossible de renommer " + toUtf8(from) + " vers", to, status);
    if (moved.entry == Entry::Redirected) failLink("impossible de renommer", from, "un fichier");
    NTSTATUS renamed = renameOpened(moved.handle.get(), targetFolder, target.leaf());
    if (renamed == kStatusAccessDenied)
        renamed = renameOverReadOnly(moved.handle.get(), targetFolder, target.leaf());
    if (!succeeded(renamed)) failStatus("impossible de renommer " + toUtf8(from) + " vers", to, renamed);
}

void HeldFolderFiles::createFolder(const std::wstring& path) {
    const Place place = m_folders->changePlace(path, "impossible de cr\u00E9er le dossier");
    if (place.parts.empty()) return;
    const HANDLE parent = m_folders->folderAt(place, place.parts.size() - 1);
    Handle created;
    const NTSTATUS status = openRelative(parent, place.leaf(), kCreateFolder, created);
    if (succeeded(status)) {
        m_folders->keep(*place.root, place.key(place.parts.size()), std::move(created));
        return;
    }
    if (status != kStatusNameCollision) failStatus("impossible de cr\u00E9er le dossier", path, status);
    const FolderReach there = m_folders->reach(place, place.parts.size());
    if (there.outcome == Reach::Link) failLink("impossible de cr\u00E9er le dossier", path, "un dossier");
    if (there.outcome != Reach::Reached)
        fail("impossible de cr\u00E9er le dossier", path, ERROR_ALREADY_EXISTS);
}

void HeldFolderFiles::removeFolder(const std::wstring& path) {
    const Place place = m_folders->changePlace(path, "impossible de supprimer le dossier");
    const HANDLE parent = m_folders->parentOf(place, "impossible de supprimer le dossier");
    m_folders->forget(*place.root, place.key(place.parts.size()));
    OpenEntry folder;
    const NTSTATUS status =
        openEntry(parent, place.leaf(),
                  {DELETE | FILE_READ_ATTRIBUTES, kShareAll, FILE_OPEN, FILE_DIRECTORY_FILE}, folder);
    if (!succeeded(status)) failStatus("impossible de supprimer le dossier", path, status);
    if (folder.entry != Entry::Folder) failLink("impossible de supprimer le dossier", path, "un dossier");
    if (!markForDeletion(folder.handle.get()))
        fail("impossible de supprimer le dossier", path, ::GetLastError());
}

void HeldFolderFiles::removeFile(const std::wstring& path) { m_folders->remove(path, false); }

void HeldFolderFiles::removeShippedFile(const std::wstring& path) { m_folders->remove(path, true); }

bool HeldFolderFiles::heldByAnotherProgram(const std::wstring& path) {
    const Place place = m_folders->changePlace(path, "impossible de savoir qui tient");
    if (place.parts.empty()) fail("pas un fichier ordinaire :", path, ERROR_DIRECTORY);
    const FolderReach reached = m_folders->reach(place, place.parts.size() - 1);
    if (reached.outcome == Reach::Missing || reached.outcome == Reach::NotFolder) return false;
    const HANDLE folder = m_folders->folderAt(place, place.parts.size() - 1);
    OpenEntry file;
    const NTSTATUS status = openEntry(folder, place.leaf(), kOpenAsRenamer, file);
    if (status == kStatusSharingViolation) return true;
    if (isMissing(status)) return false;
    if (!succeeded(status)) failStatus("impossible de savoir qui tient", path, status);
    if (file.entry == Entry::Redirected) failLink("impossible de savoir qui tient", path, "un fichier");
    return false;
}

}  // namespace setup
