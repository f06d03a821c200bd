#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace setup {

/// Reads the update list entry by entry from its bytes (Windows-1252), by the list's reading rule:
/// leading spaces skipped; a quoted entry runs to the next double quote (commas, spaces and line ends
/// inside belong to it) and whatever follows it up to the next comma or line end is dropped; an unquoted
/// entry runs to the next comma or line end (CR LF, lone CR or lone LF), which is consumed; an empty
/// line is one empty entry.
class EntryReader {
  public:
    explicit EntryReader(std::string bytes);

    /// True when no byte remains.
    bool atEnd() const;
    /// The next entry as wide text; throws Failure when a quote is never closed.
    std::wstring next();
    /// 1-based number of the line on which the next entry starts; the line ends inside a quoted entry
    /// count too.
    std::size_t line();
    /// True when the next entry is written between double quotes.
    bool nextIsQuoted() const;

  private:
    std::string m_bytes;
    std::size_t m_pos = 0;
    // line() counts the line ends up to m_pos once, picking up where it last stopped.
    std::size_t m_countedTo = 0;
    std::size_t m_line = 1;
};

}  // namespace setup
