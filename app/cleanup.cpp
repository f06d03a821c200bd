#include <cstdint>
#include <exception>

#include "run/run_state.h"
#include "app/cleanup.h"
#include "run/session.h"
#include "run/update_list.h"
#include "run/windows.h"
#include "platform/path_mapping.h"
#include "platform/runtime.h"
#include "registry/path_routines.h"

namespace setup {

namespace {

/// Runs one step of the cleanup; its failure is skipped and the next step runs.
template <typename Step>
void ignoringFailure(Step&& step) {
    try {
        step();
    } catch (const std::exception&) {
    }
}

/// True for the entries whose file the cleanup removes: file entries and version stamps.
bool namesShippedFile(const std::wstring& entry) {
    switch (classifyEntry(entry)) {
        case EntryKind::File:
        case EntryKind::VersionStamp:
            return true;
        default:
            return false;
    }
}

/// A pass over the list deleting what its entries name, bounded by FileCount.
void deleteShippedFiles(Runtime& runtime, RunState& state) {
    constexpr std::int16_t kLastCount = 1000;
    ignoringFailure([&] { state.ListFileNumber = runtime.freeFileNumber(); });
    ignoringFailure([&] { runtime.openForInput(state.ListFileNumber, updateListPath(runtime)); });
    for (;;) {
        bool atEnd = false;
        ignoringFailure([&] { atEnd = runtime.atEndOfFile(state.ListFileNumber); });
        if (atEnd) break;
        ignoringFailure([&] { readUpdateListEntry(runtime, state); });
        // Entries are plain names below the program directory; anything that leaves it is never touched.
        if (namesShippedFile(state.CurrentLine) && staysInsideBase(state.CurrentLine)) {
            ignoringFailure([&] {
                std::wstring directory = runtime.programDirectory();
                runtime.deleteFile(WithTrailingBackslash(directory) + state.CurrentLine);
            });
        }
        ignoringFailure([&] { countEntry(state.FileCount); });
        if (state.FileCount > kLastCount) break;
    }
    ignoringFailure([&] { runtime.close(state.ListFileNumber); });
}

}  // namespace

void CleanupAndExit(Session& session) {
    Runtime& runtime = session.runtime;
    // Any end but a completed update puts the installation and the registry back first.
    session.state.update.undo(runtime);
    deleteShippedFiles(runtime, session.state);
    ignoringFailure([&] {
        std::wstring directory = runtime.programDirectory();
        runtime.deleteFile(WithTrailingBackslash(directory) + L"Setup.lst");
    });
    ignoringFailure([&] { session.form1.unload(); });
    ignoringFailure([&] { session.form2.unload(); });
    runtime.endProgram(static_cast<int>(session.state.exitStatus));
    // A runtime whose end of the program came back would let the caller resume after its last step.
    std::terminate();
}

}  // namespace setup
