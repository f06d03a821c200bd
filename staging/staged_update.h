#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <set>
#include <string>

#include "platform/failure.h"
#include "platform/file_services.h"
#include "platform/program_files.h"
#include "staging/journal.h"
#include "staging/registry_values.h"
#include "staging/update_plan.h"

namespace setup {

/// Where the engine tells what it does, one line per event, for the run's log.
using EngineLog = std::function<void(const std::wstring& event)>;
/// Where the engine tells of each file it staged: the update's file, the installed file it will replace
/// or become, and the bytes copied.
using StagedNote =
    std::function<void(const std::wstring& source, const std::wstring& target, std::uint64_t bytes)>;

/// Carries out a plan whole or not at all. begin writes and flushes a journal that names every file,
/// folder and registry value the run will touch; stage copies each file beside its target; commit moves
/// the installed files aside, renames the staged ones into place, writes the stamps and marks the journal
/// final. Until then undo (or, after a crash, recoverInterruptedUpdate) puts everything back.
class StagedUpdate {
  public:
    StagedUpdate(FileServices& files, RegistryValues& registry, UpdatePlan plan, EngineLog log = {},
                 StagedNote staged = {});

    const UpdatePlan& plan() const { return m_plan; }
    const Journal& journal() const { return m_journal; }

    /// Reads the values the stamps replace, then writes and flushes the journal. Throws Failure.
    void begin();
    /// Copies file `index` of the plan beside its target, creating the folders it needs first; staging a
    /// file again replaces its staged copy. Throws Failure.
    void stage(std::size_t index);
    /// Stages the file that entry `entry` of the list names (see UpdatePlan::entryFiles) from that entry's
    /// own source, as the list's order has it: a later entry for the same file stages it again. The bytes
    /// staged are compared with what the plan expects of the entry, if anything: throws StagedFileDiffers
    /// when they differ, as soon as the file is larger than expected. Throws Failure.
    void stageEntry(std::size_t entry);
    /// Puts every staged file in place and writes the stamps; once it returns the update is final, and
    /// a second call does nothing. Throws Failure; undo then puts everything back.
    void commit();
    /// Removes the files moved aside and the final journal. Never throws; what stays is removed by the
    /// next start.
    void finish();
    /// Puts the installation and the registry back as they were, unless the update is final. Never
    /// throws; a journal that cannot be carried out now is left for the next start.
    void undo();

    /// True once commit has made the update final.
    bool final() const { return m_phase == Phase::Final || m_phase == Phase::Finished; }

  private:
    enum class Phase { Planned, Staging, Final, Finished, Undone };

    void stageFrom(std::size_t index, const std::wstring& source, const ExpectedContent* expected);

    FileServices& m_files;
    RegistryValues& m_registry;
    UpdatePlan m_plan;
    EngineLog m_log;
    StagedNote m_staged;
    Journal m_journal;
    std::set<std::wstring> m_createdFolders;
    Phase m_phase = Phase::Planned;
};

/// A staged copy that is not what the update's seal or signature vouches for: the file changed after it
/// was sealed, or grew past its size.
class StagedFileDiffers : public Failure {
  public:
    explicit StagedFileDiffers(std::wstring name)
        : Failure("a staged file differs from its seal"), m_name(std::move(name)) {}
    const std::wstring& name() const { return m_name; }

  private:
    std::wstring m_name;
};

/// A journal found at the start that the program will not act on: it changes nothing.
class RejectedJournal : public Failure {
  public:
    RejectedJournal(std::wstring path, std::wstring reason)
        : Failure("journal refus\u00E9"), m_path(std::move(path)), m_reason(std::move(reason)) {}
    const std::wstring& path() const { return m_path; }
    const std::wstring& reason() const { return m_reason; }

  private:
    std::wstring m_path;
    std::wstring m_reason;
};

/// What the start found of an earlier run.
enum class Recovery {
    None,        ///< no journal
    RolledBack,  ///< a run stopped before it was final: the installation and the registry are put back
    Completed,   ///< a final run stopped during its cleanup: its leftovers are removed
};

/// Run at every start once the installation is locked: carries out a journal left by an interrupted run
/// and acts on nothing else. Throws RejectedJournal (nothing changed) for a journal that fails a check,
/// Failure when what it names cannot be put back.
Recovery recoverInterruptedUpdate(FileServices& files, RegistryValues& registry,
                                  const std::wstring& installDir, const EngineLog& log = {});

}  // namespace setup
