#pragma once

#include <optional>
#include <string>
#include <vector>

namespace setup {

/// One file of the installation that an update changes, as the journal names it.
struct JournalFile {
    std::wstring relative;  ///< path below the installation folder, "/" between folders
    std::wstring staged;    ///< path of its staged copy below the installation folder
    bool replacing;         ///< true when an installed file is moved aside for it, false when it is new
    bool operator==(const JournalFile&) const = default;
};

/// The plan of a commit: the folders the update created, the files it changes and whether the registry
/// was saved beside them.
struct Journal {
    std::vector<std::wstring> folders;  ///< created folders below the installation, parents first
    std::vector<JournalFile> files;
    bool registrySaved = false;
    bool operator==(const Journal&) const = default;
};

/// The journal as UTF-8 text lines: a heading, "registry" when the registry was saved, a "folder\t<path>"
/// line per created folder, a "replace\t<path>\t<staged path>" or "add\t<path>\t<staged path>" line per
/// file, and "end", each ending with a line feed.
std::string formatJournal(const Journal& journal);

/// The journal written by formatJournal; nullopt for text that is not a whole journal (cut short by an
/// interrupted write, or not a journal at all).
std::optional<Journal> parseJournal(const std::string& text);

}  // namespace setup
