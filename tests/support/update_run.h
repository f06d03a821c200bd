#pragma once

#include <filesystem>
#include <string>

#include "directives/list_directives.h"
#include "run/run_state.h"
#include "run/session.h"
#include "tests/support/fake_windows.h"
#include "tests/support/scoped_env.h"
#include "tests/support/scripted_runtime.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tree_snapshot.h"

namespace setup::test {

/// One whole run of the update on temporary folders: an update folder, an installation, a Windows
/// directory holding the product registry, the scripted runtime and the two fake windows.
class UpdateRun {
  public:
    UpdateRun();

    /// Writes the update list (Windows-1252 bytes) into the update folder.
    void writeList(const std::string& bytes) const;
    /// Writes the update list from wide text, converted to Windows-1252.
    void writeList(const std::wstring& text) const;
    /// Puts a file of the update into the update folder.
    void addUpdateFile(const std::string& relative, const std::string& content) const;
    /// Puts a file into the installation.
    void addInstalledFile(const std::string& relative, const std::string& content) const;
    /// Writes the product registry with the installation's path and `version` for Kelvane.
    void registerProduct(const std::string& version) const;

    /// Runs the update from the main window's load to the end of the program; answers the exit status.
    int run();
    /// Runs only the cleanup; answers the exit status.
    int cleanup();

    /// The product registry's bytes, or empty when there is none.
    std::string registryText() const;
    /// The installation and the registry's folder as they stand, every byte, less the lock file that a
    /// live run holds at the installation's top.
    InstallationState snapshot() const;
    /// Names of the files left in the update folder, sorted, with "/" separators.
    std::vector<std::string> filesInUpdateFolder() const;

    TempDir root;
    std::filesystem::path updateFolder;
    std::filesystem::path installation;
    std::filesystem::path windowsFolder;
    ScopedEnv windir;
    RunState state;
    ScriptedRuntime runtime;
    FakeMainWindow form1;
    FakeProgressWindow form2;
    Session session;
    ListDirectives directives;
};

/// The wide text as Windows-1252 bytes.
std::string ansi(const std::wstring& text);

}  // namespace setup::test
