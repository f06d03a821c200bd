#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace setup {

class Runtime;
struct RunState;

/// Markers that open the entries of the update list.
inline constexpr wchar_t kRemarkMarker = L';';
inline constexpr wchar_t kWarningMarker = L'!';
inline constexpr wchar_t kVersionRangeMarker = L'\u00A7';  // "§", byte A7 in the list
inline constexpr wchar_t kRequiredFileMarker = L'@';
inline constexpr wchar_t kVersionStampMarker = L'#';

/// Kind of an entry, decided by its first character alone.
enum class EntryKind {
    Remark,        ///< ";": the first one is the title, later ones are comments
    Warning,       ///< "!"
    VersionRange,  ///< "§"
    RequiredFile,  ///< "@"
    VersionStamp,  ///< "#"
    File,          ///< anything else
    Empty,         ///< nothing at all: every pass passes it over
};

/// The kind of `entry` by an exact comparison of its first character.
EntryKind classifyEntry(const std::wstring& entry);

/// True when `entry` starts with `marker` (the empty entry starts with nothing).
bool startsWith(const std::wstring& entry, wchar_t marker);

/// `entry` without the spaces (U+0020) at its ends.
std::wstring trimSpaces(const std::wstring& entry);

/// `entry` without the spaces (U+0020) at its end: the form in which every pass reads an entry.
std::wstring withoutTrailingSpaces(std::wstring entry);

/// True for the entries whose file the cleanup removes from the update folder: file entries and version
/// stamps (a file named like the whole entry, "#" included).
bool namesShippedFile(const std::wstring& entry);

/// Adds one to a 16-bit entry count; beyond 32767 the addition fails with Failure and the count stays.
void countEntry(std::int16_t& count);

/// Path of the list: the program directory followed by "\setup.lst", without looking at its last
/// character.
std::wstring updateListPath(Runtime& runtime);

/// Takes the lowest free file number into `ListFileNumber` and opens the list under it.
void openUpdateList(Runtime& runtime, RunState& state);

/// Reads the next entry of the open list into `CurrentLine`, without the spaces at its end, so that
/// every pass reads an entry alike whatever spaces follow it.
void readUpdateListEntry(Runtime& runtime, RunState& state);

/// What a pass over the list does when the list cannot be opened or read.
enum class ListFailures {
    Throw,       ///< the failure reaches the run's failure branch
    EndThePass,  ///< the pass ends there (a list missing or gone, an unreadable entry) and closes the list
};

/// One pass over the list: opens it, reads every entry into `CurrentLine` and hands it to `visit` (which
/// may rewrite it), then closes the list. A pass that ends the pass on a failure never loops on an entry it
/// did not read.
void forEachListEntry(Runtime& runtime, RunState& state, const std::function<void(std::wstring& entry)>& visit,
                      ListFailures failures = ListFailures::Throw);

/// As forEachListEntry, up to the first entry for which `visit` answers false.
void forEachListEntryUntil(Runtime& runtime, RunState& state,
                           const std::function<bool(std::wstring& entry)>& visit);

}  // namespace setup
