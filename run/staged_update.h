#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "run/update_journal.h"

namespace setup {

class Runtime;

/// Suffixes and names of the program's own files in an installation: a staged copy beside its target, an
/// installed file moved aside, the journal and the saved registry at the installation's top.
inline constexpr const wchar_t* kStagedSuffix = L".setup-new";
inline constexpr const wchar_t* kAsideSuffix = L".setup-old";
inline constexpr const wchar_t* kJournalName = L".setup-journal";
inline constexpr const wchar_t* kSavedRegistryName = L".setup-registry";

/// True for a file name the program keeps for its own files, in an installation or beside the registry
/// (including the temporary files of an atomic replacement, ".setup-" and six characters).
bool isOwnFileName(const std::wstring& name);

/// The update's files on their way into the installation. Each is first copied beside its target, and
/// nothing in the installation changes until commit: then the plan is written once as a journal, each
/// replaced file is moved aside and each staged file renamed into place. Until finish, undo (or, after a
/// crash, recoverInterruptedUpdate) puts the installation and the registry back as they were.
class StagedUpdate {
  public:
    /// Copies `source` beside the installed file `installDir` + `relative` without touching it.
    /// Throws Failure, e.g. for a name the program keeps for its own files.
    void stage(Runtime& runtime, const std::wstring& installDir, const std::wstring& source,
               const std::wstring& relative);
    /// Saves the registry, writes and flushes the staged files and the journal together, then moves each
    /// replaced file aside and renames each staged file into place, and flushes each touched folder once.
    /// Throws Failure; undo then puts everything back.
    /// Does nothing once called. With nothing staged only the registry is saved, for the stamps' sake.
    void commit(Runtime& runtime, const std::wstring& installDir);
    /// Makes the update final: removes the journal, then the moved-aside files and the saved registry.
    /// Never throws; what cannot be removed now is removed by the next start.
    void finish(Runtime& runtime);
    /// Puts the installation and the registry back as they were before the first stage, and removes every
    /// file of the program's own. Never throws; a journal that cannot be carried out is left for the next
    /// start.
    void undo(Runtime& runtime);

    /// Number of files staged so far.
    std::size_t stagedCount() const { return m_files.size(); }

  private:
    enum class Phase { Staging, Committing, Done, Finished };

    std::wstring m_root;
    std::vector<std::wstring> m_folders;
    std::vector<JournalFile> m_files;
    std::map<std::wstring, std::size_t> m_index;
    std::optional<std::string> m_registry;
    Phase m_phase = Phase::Staging;
};

/// Run at every start once the installation is known: carries out a journal left by an interrupted run
/// (the installation and the registry are put back as they were before it), then removes every file of
/// the program's own left in the installation and beside the registry. Answers true when a journal was
/// carried out. Throws Failure when the installation cannot be put back.
bool recoverInterruptedUpdate(Runtime& runtime, const std::wstring& installDir);

}  // namespace setup
