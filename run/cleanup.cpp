#include "run/cleanup.h"

#include <algorithm>
#include <exception>
#include <map>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/path_mapping.h"
#include "platform/path_text.h"
#include "platform/program_files.h"
#include "platform/runtime.h"
#include "run/run_state.h"
#include "run/session.h"
#include "run/update_list.h"
#include "run/windows.h"
#include "staging/update_plan.h"

namespace setup {

namespace {

/// Deletes the update's files through the folder the run holds: a link on the way is never followed (a
/// link the folder's own links lead to inside it is resolved once per folder, as the plan resolves it),
/// and a link at the name itself is removed, never its target.
class UpdateFolderDeletion {
  public:
    explicit UpdateFolderDeletion(Runtime& runtime)
        : m_runtime(runtime),
          m_folder(runtime.host().programDirectory()),
          m_real(runtime.files().realPath(m_folder)) {}

    /// Deletes `name`, given below the update folder; anything that leaves it, by its text or through a
    /// link, is never touched (answers false).
    bool remove(const std::wstring& name) {
        if (!staysInsideBase(name)) return false;
        const std::wstring given = WithTrailingBackslash(m_folder) + name;
        // A name as the list writes it is the name on disk nearly always: it is removed without a look
        // first, and only a name in other letters is looked up.
        const std::vector<std::wstring_view> parts = pathComponents(name);
        const bool plain = std::none_of(parts.begin(), parts.end(),
                                        [](std::wstring_view part) { return part == L"." || part == L".."; });
        if (plain) {
            try {
                return removeAt(given);
            } catch (const std::exception&) {
            }
        }
        return removeAt(m_runtime.files().spell(given));
    }

  private:
    /// Removes `path`, below the update folder, from the real folder its folder is.
    bool removeAt(const std::wstring& path) {
        FileServices& files = m_runtime.files();
        const std::size_t last = path.find_last_of(L"\\/");
        const std::wstring parent = path.substr(0, last);
        auto real = m_realFolders.find(parent);
        if (real == m_realFolders.end()) real = m_realFolders.emplace(parent, files.realPath(parent)).first;
        if (!isSameOrInside(real->second, m_real)) return false;
        files.removeShippedFile(joinPath(real->second, path.substr(last + 1)));
        return true;
    }

    Runtime& m_runtime;
    std::wstring m_folder;
    std::wstring m_real;
    std::map<std::wstring, std::wstring> m_realFolders;
};

/// A pass over the list deleting what its entries name, to the end of the list. The first read that
/// fails ends it (a list missing or gone, an unreadable entry), so the pass never loops on a value it did
/// not read.
void deleteShippedFiles(Runtime& runtime, RunState& state, UpdateFolderDeletion& deletion) {
    runtime.host().logEvent(L"Nettoyage du dossier de mise \u00E0 jour");
    forEachListEntry(
        runtime, state,
        [&](std::wstring& entry) {
            if (!namesShippedFile(entry)) return;
            ignoringFailure([&] {
                if (deletion.remove(entry))
                    runtime.host().logEvent(L"Supprim\u00E9 du dossier de mise \u00E0 jour : " + entry);
            });
        },
        ListFailures::EndThePass);
}

}  // namespace

void CleanupAndExit(Session& session) {
    Runtime& runtime = session.runtime;
    // Any end but a completed update puts the installation and the registry back first.
    if (session.state.update) session.state.update->undo();
    if (!session.state.keepUpdateFolder) {
        ignoringFailure([&] { runtime.files().holdFolder(runtime.host().programDirectory()); });
        std::optional<UpdateFolderDeletion> deletion;
        ignoringFailure([&] { deletion.emplace(runtime); });
        if (deletion) deleteShippedFiles(runtime, session.state, *deletion);
        ignoringFailure([&] {
            if (deletion && deletion->remove(kUpdateListName))
                runtime.host().logEvent(L"Supprim\u00E9 du dossier de mise \u00E0 jour : la liste " +
                                        std::wstring(kUpdateListName));
        });
        // The seal and the signature go with the list they vouch for; an update without them has none to
        // delete.
        for (const std::wstring& own : {std::wstring(kSealFileName), std::wstring(kStatementFileName),
                                        std::wstring(kSignatureFileName)}) {
            ignoringFailure([&] {
                FileServices& files = runtime.files();
                std::wstring directory = runtime.host().programDirectory();
                if (deletion &&
                    files.kindOf(files.spell(WithTrailingBackslash(directory) + own)) != NodeKind::Missing)
                    deletion->remove(own);
            });
        }
    }
    if (session.state.keepUpdateFolder)
        runtime.host().logEvent(L"Le dossier de mise \u00E0 jour est conserv\u00E9 tel quel");
    ignoringFailure([&] { session.form1.unload(); });
    ignoringFailure([&] { session.form2.unload(); });
    runtime.endProgram(static_cast<int>(session.state.exitStatus));
    // A runtime whose end of the program came back would let the caller resume after its last step.
    std::terminate();
}

}  // namespace setup
