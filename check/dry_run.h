#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "check/list_analysis.h"
#include "check/pending_journal.h"
#include "directives/list_directives.h"
#include "run/box_message.h"
#include "staging/update_plan.h"

namespace setup::check {

/// A version range checked against the installed version.
struct RangeOutcome {
    std::size_t line = 0;
    VersionRange range;
    std::wstring installed;             ///< the installed version as read, empty when none
    std::optional<BoxMessage> refusal;  ///< the message setup shows when the range refuses the update
};

/// A required file looked for in the installation.
struct RequiredOutcome {
    std::size_t line = 0;
    std::wstring path;  ///< as the check builds it: the installation folder and the entry's path
    bool present = false;
};

/// What the copy of one file entry would do to the installation.
enum class CopyChange { New, Replaces, Identical };

/// One file entry as setup's plan places it in the installation.
struct CopyOutcome {
    std::size_t line = 0;
    std::wstring name;    ///< the entry as the copy reads it
    std::wstring target;  ///< the installed file it writes, as the file system spells it (a program path)
    CopyChange change = CopyChange::New;
    bool writable = false;     ///< the destination can be written
    std::uintmax_t bytes = 0;  ///< size of the update's file
};

/// An entry for which setup's plan refuses the whole update.
struct PlanRefusalOutcome {
    std::size_t line = 0;  ///< the entry's line, 0 for the update folder as a whole
    PlanRefusal refusal;
    std::wstring consequence;  ///< what setup would do, in French
    bool listError = false;    ///< every installation would refuse it: told among the list's errors
};

/// A version the stamp pass would record.
struct StampOutcome {
    std::size_t line = 0;
    std::wstring section;
    std::wstring version;
    bool writable = false;  ///< the registry would take the value
};

/// The run of the update followed against an installation without changing anything.
struct DryRun {
    std::wstring registry;  ///< the product registry read
    bool registryFound = false;
    std::wstring installDir;  ///< the installation folder as the run uses it, empty when none is registered
    bool installed = false;   ///< the registry names an existing folder
    PendingJournal journal;   ///< what setup would do first with a journal an interrupted run left
    std::vector<RangeOutcome> ranges;
    std::vector<RequiredOutcome> requiredFiles;
    std::vector<CopyOutcome> copies;  ///< the file entries setup's plan accepts, in list order
    std::vector<PlanRefusalOutcome> planRefusals;
    std::uintmax_t bytesToCopy = 0;
    std::optional<std::uintmax_t> freeBytes;  ///< free space at the installation, when known
    std::vector<StampOutcome> stamps;
    /// The message with which setup would refuse the update (the first refusal of the run), if any.
    std::optional<BoxMessage> refusal;
    /// Why the update would fail once started (a journal, the plan, a destination, the space, the registry),
    /// if it would; the plan's refusals that are errors of the list are told there instead.
    std::vector<std::wstring> failures;

    /// True when setup would apply the update to this installation.
    bool wouldApply() const { return !refusal && failures.empty() && planRefusals.empty(); }
};

/// Follows the run of the analysed list against the installation that `registryFile` names (a path;
/// nullopt for the registry where setup looks for it). Reads the registry, the installation and the
/// update folder; writes nothing.
DryRun dryRun(const ListAnalysis& analysis, const std::optional<std::wstring>& registryFile);

/// Where setup looks for the product registry on this machine.
std::wstring defaultRegistryPath();

/// The exit status of the checker: 1 when the list has errors (or warnings, with `strict`), else 2 when
/// the installation would refuse the update, else 0.
int exitStatus(const ListAnalysis& analysis, const std::optional<DryRun>& run, bool strict);

}  // namespace setup::check
