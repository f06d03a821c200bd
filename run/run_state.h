#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_services.h"
#include "platform/runtime.h"
#include "staging/registry_values.h"
#include "staging/staged_update.h"

namespace setup {

/// What the run tells a calling script through its exit status.
enum class ExitStatus : int {
    Applied = 0,   ///< the update was applied
    Declined = 1,  ///< the user declined or cancelled
    Refused = 2,   ///< a check refused the update
    Failed = 3,    ///< a failure
};

/// The program-wide variables of one run, owned by the run and passed by reference.
struct RunState {
    FileNumber ListFileNumber = 0;               ///< the number under which the list is open during a pass
    std::wstring CurrentLine;                    ///< the entry last read
    std::wstring InstallDir;                     ///< the installation directory, ending with "\" once located
    std::int16_t FileCount = 0;                  ///< the progress total: the file entries the copy acts on
    ExitStatus exitStatus = ExitStatus::Failed;  ///< set by each path before the run ends
    std::vector<PlannedStamp> stamps;            ///< the versions the stamp pass found, for the commit
    /// The installation's trust file as the commit writes it, once a signed update is accepted.
    std::optional<std::string> trust;
    /// What each file of a sealed update must hold, under its name's key (sealNameKey): the copy compares
    /// the bytes it stages with it. Empty for an update without a seal.
    std::map<std::wstring, ExpectedContent> expectedContents;
    std::unique_ptr<RegistryValues> registry;  ///< the registry values the update engine stamps
    std::unique_ptr<StagedUpdate> update;      ///< the update once planned: staged, then committed
    /// True when the cleanup must leave the update folder as it is: the update could not start (another
    /// run holds the installation, the update lies inside it, its files are damaged) and may be run again.
    bool keepUpdateFolder = false;
};

}  // namespace setup
