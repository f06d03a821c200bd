#include <windows.h>
// Its declarations need those of windows.h first.
#include <restartmanager.h>

#include <algorithm>
#include <cwchar>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/failure.h"
#include "platform/file_holders.h"
#include "platform/win32/system_path.h"

namespace setup {

namespace {

/// Programs that open the files between two calls for the list lengthen it; past this many calls the
/// list is taken as one that never settles.
constexpr int kMostListCalls = 8;
/// Room for that many more programs than the Restart Manager last asked for.
constexpr UINT kSpareRoom = 4;

[[noreturn]] void fail(const std::string& what, DWORD error) {
    throw Failure(what + " : erreur " + std::to_string(error) + " du gestionnaire de red\u00E9marrage");
}

/// The calls of rstrtmgr.dll, found in the system's own folder at the first use: the program imports only
/// the DLLs every Windows loads, and is linked against no import library of this one.
struct RestartManager {
    decltype(&::RmStartSession) startSession;
    decltype(&::RmRegisterResources) registerResources;
    decltype(&::RmGetList) getList;
    decltype(&::RmEndSession) endSession;
};

template <typename Function>
Function lookUp(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

const RestartManager& restartManager() {
    static const RestartManager calls = [] {
        // Kept loaded for the rest of the process: the next question needs it again.
        const HMODULE module = ::LoadLibraryExW(L"rstrtmgr.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (module == nullptr)
            fail("impossible de charger le gestionnaire de red\u00E9marrage", ::GetLastError());
        const RestartManager found{lookUp<decltype(&::RmStartSession)>(module, "RmStartSession"),
                                   lookUp<decltype(&::RmRegisterResources)>(module, "RmRegisterResources"),
                                   lookUp<decltype(&::RmGetList)>(module, "RmGetList"),
                                   lookUp<decltype(&::RmEndSession)>(module, "RmEndSession")};
        if (found.startSession == nullptr || found.registerResources == nullptr || found.getList == nullptr ||
            found.endSession == nullptr) {
            fail("le gestionnaire de red\u00E9marrage n'a pas ses fonctions", ERROR_PROC_NOT_FOUND);
        }
        return found;
    }();
    return calls;
}

/// One session of the Restart Manager, ended when it goes out of scope.
class Session {
  public:
    Session() {
        WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
        if (const DWORD error = restartManager().startSession(&m_handle, 0, key); error != ERROR_SUCCESS)
            fail("impossible d'ouvrir une session du gestionnaire de red\u00E9marrage", error);
    }
    ~Session() { restartManager().endSession(m_handle); }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    DWORD handle() const { return m_handle; }

  private:
    DWORD m_handle = 0;
};

/// `path` in the full form the Restart Manager is documented with: absolute, without the extended
/// prefix ("\\?\C:\..." is "C:\...", "\\?\UNC\server\..." is "\\server\...").
std::wstring fullForm(const std::wstring& path) {
    const std::wstring system = systemPath(path);
    const std::wstring_view text = system;
    if (text.starts_with(L"\\\\?\\UNC\\")) return L"\\\\" + std::wstring(text.substr(8));
    if (text.starts_with(L"\\\\?\\")) return std::wstring(text.substr(4));
    return system;
}

std::vector<RM_PROCESS_INFO> affectedPrograms(const Session& session) {
    std::vector<RM_PROCESS_INFO> found;
    for (int call = 0; call < kMostListCalls; ++call) {
        UINT needed = 0;
        // A system that answers success without writing the counts (Wine) leaves this one as it was: it
        // never exceeds what the array holds, and is nothing at the first call.
        UINT count = static_cast<UINT>(found.size());
        DWORD reasons = 0;
        const DWORD error = restartManager().getList(session.handle(), &needed, &count,
                                                     found.empty() ? nullptr : found.data(), &reasons);
        if (error == ERROR_SUCCESS) {
            found.resize(std::min<std::size_t>(count, found.size()));
            return found;
        }
        if (error != ERROR_MORE_DATA)
            fail("impossible d'\u00E9num\u00E9rer les programmes qui tiennent les fichiers", error);
        found.resize(needed + kSpareRoom);
    }
    fail("la liste des programmes qui tiennent les fichiers ne cesse de changer", ERROR_MORE_DATA);
}

class RestartManagerFinder final : public FileHolderFinder {
  public:
    std::vector<FileHolder> holdersOf(const std::vector<std::wstring>& paths) override {
        if (paths.empty()) return {};
        std::vector<std::wstring> names;
        names.reserve(paths.size());
        for (const std::wstring& path : paths) names.push_back(fullForm(path));
        std::vector<LPCWSTR> pointers;
        pointers.reserve(names.size());
        for (const std::wstring& name : names) pointers.push_back(name.c_str());

        const Session session;
        if (const DWORD error =
                restartManager().registerResources(session.handle(), static_cast<UINT>(pointers.size()),
                                                   pointers.data(), 0, nullptr, 0, nullptr);
            error != ERROR_SUCCESS) {
            fail("impossible de demander quels programmes tiennent les fichiers", error);
        }
        std::vector<FileHolder> holders;
        const DWORD self = ::GetCurrentProcessId();
        for (const RM_PROCESS_INFO& info : affectedPrograms(session)) {
            const DWORD id = info.Process.dwProcessId;
            const bool known = std::any_of(holders.begin(), holders.end(),
                                           [id](const FileHolder& holder) { return holder.processId == id; });
            if (id == self || known) continue;
            const std::size_t length = ::wcsnlen(info.strAppName, CCH_RM_MAX_APP_NAME + 1);
            holders.push_back({std::wstring(info.strAppName, length), id});
        }
        std::sort(holders.begin(), holders.end(),
                  [](const FileHolder& a, const FileHolder& b) { return a.processId < b.processId; });
        return holders;
    }
};

}  // namespace

std::unique_ptr<FileHolderFinder> systemFileHolderFinder() {
    return std::make_unique<RestartManagerFinder>();
}

}  // namespace setup
