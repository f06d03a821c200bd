#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "check/findings.h"
#include "directives/list_directives.h"
#include "run/box_message.h"
#include "staging/update_plan.h"

namespace setup::check {

/// What an entry is, as the passes of the program see it.
enum class EntryRole { Title, Comment, Warning, VersionRange, RequiredFile, VersionStamp, File, Empty };

/// A version the stamp pass records.
struct StampWrite {
    std::wstring section;
    std::wstring version;
};

/// One entry of the list and what each pass of the program does with it.
struct EntryPlan {
    std::size_t line = 0;  ///< the line of the list on which the entry starts
    std::wstring text;     ///< the entry as every pass reads it
    EntryRole role = EntryRole::Empty;
    std::vector<BoxMessage> warnings;         ///< warnings the pre-copy pass shows for it
    std::vector<VersionRange> ranges;         ///< version ranges the pre-copy pass checks for it
    std::vector<std::wstring> requiredFiles;  ///< paths (below the installation) the pre-copy pass requires
    bool counted = false;                     ///< counted in the progress total
    std::optional<std::wstring> copied;       ///< the name the copy copies, from the update folder
    bool refusedByCopy = false;               ///< the copy refuses the name: it leads out of its folder
    std::vector<StampWrite> stamps;           ///< versions the stamp pass records after the copy
    /// Why setup's plan refuses the entry, and with it the whole update, on every installation.
    std::optional<RefusalReason> refusedByPlan;
    std::optional<std::wstring> deleted;  ///< the name the cleanup deletes from the update folder
};

/// The list of an update folder read as the program reads it, with what is wrong with it.
struct ListAnalysis {
    std::wstring updateFolder;  ///< as given
    std::wstring listPath;      ///< the list's path as the program opens it
    bool listFound = false;
    std::vector<EntryPlan> entries;
    /// The title the main window shows (the default caption without a title entry).
    std::wstring caption;
    /// The warning shown once more right before the confirmation question, if any.
    std::optional<BoxMessage> repeatedWarning;
    /// Errors, warnings and notes in the order of the list's lines; whole-folder findings last.
    std::vector<Finding> findings;

    /// True when a finding of `severity` was made.
    bool has(Severity severity) const;
};

}  // namespace setup::check
