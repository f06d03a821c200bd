#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace setup {

/// Looks `key` up in the first section named `section` of a profile file's bytes (Windows-1252), as the
/// Windows profile read does: names match without regard to letter case; blanks (space, tab, vertical
/// tab, form feed) around the arguments and around names and values in the file are ignored; one
/// matching outer pair of quotes is removed; ";" at the start of a line is a comment. Nullopt when the
/// section or key is missing. The value is not cut here.
std::optional<std::string> findProfileValue(std::string_view content, std::string_view section,
                                            std::string_view key);

/// The bytes of a profile file after storing `value` under `key` in `section`, as the Windows profile
/// write does: names and the value lose the blanks around them, so what is written reads back; the first
/// matching key keeps its spelling and gets the value in place; a missing key goes after the last key of
/// its section; a missing section is appended at the end. New lines, and a replaced last line that had
/// no line end, end with CR LF; every other byte is kept. Throws Failure when a name or the value would break
/// the layout (a line end or NUL anywhere, "]" in the section, "=" in the key, an empty section or key).
std::string withProfileValue(std::string_view content, std::string_view section, std::string_view key,
                             std::string_view value);

/// The bytes of a profile file without the first `key` of the first section named `section`: its line
/// goes, line end included, and so does the section's header when nothing else is left in the section.
/// Every other byte is kept; the content is unchanged when there is no such key.
std::string withoutProfileValue(std::string_view content, std::string_view section, std::string_view key);

}  // namespace setup
