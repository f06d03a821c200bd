#include "platform/entry_reader.h"

#include <utility>

#include "platform/failure.h"
#include "platform/text_codec.h"

namespace setup {

EntryReader::EntryReader(std::string bytes) : m_bytes(std::move(bytes)) {}

bool EntryReader::atEnd() const { return m_pos >= m_bytes.size(); }

std::wstring EntryReader::next() {
    const std::size_t size = m_bytes.size();
    auto isLineEnd = [](char c) { return c == '\r' || c == '\n'; };
    // Consumes the comma or line end at m_pos (CR LF counts as one line end).
    auto consumeTerminator = [&] {
        if (m_pos >= size) return;
        if (m_bytes[m_pos] == '\r' && m_pos + 1 < size && m_bytes[m_pos + 1] == '\n') ++m_pos;
        ++m_pos;
    };

    while (m_pos < size && m_bytes[m_pos] == ' ') ++m_pos;
    if (m_pos >= size) return std::wstring();

    if (m_bytes[m_pos] == '"') {
        const std::size_t open = m_pos;
        const std::size_t close = m_bytes.find('"', open + 1);
        if (close == std::string::npos) {
            // Nothing after the open quote can be read any more; a caller that goes on sees the end.
            m_pos = size;
            throw Failure("un guillemet de la liste n'est jamais ferm\u00E9");
        }
        std::wstring entry = fromAnsi(std::string_view(m_bytes).substr(open + 1, close - open - 1));
        m_pos = close + 1;
        while (m_pos < size && m_bytes[m_pos] != ',' && !isLineEnd(m_bytes[m_pos])) ++m_pos;
        consumeTerminator();
        return entry;
    }

    const std::size_t start = m_pos;
    while (m_pos < size && m_bytes[m_pos] != ',' && !isLineEnd(m_bytes[m_pos])) ++m_pos;
    std::wstring entry = fromAnsi(std::string_view(m_bytes).substr(start, m_pos - start));
    consumeTerminator();
    return entry;
}

std::size_t EntryReader::line() {
    for (; m_countedTo < m_pos; ++m_countedTo) {
        const char c = m_bytes[m_countedTo];
        const bool crBeforeLf =
            c == '\r' && m_countedTo + 1 < m_bytes.size() && m_bytes[m_countedTo + 1] == '\n';
        if (c == '\n' || (c == '\r' && !crBeforeLf)) ++m_line;
    }
    return m_line;
}

bool EntryReader::nextIsQuoted() const {
    const std::size_t first = m_bytes.find_first_not_of(' ', m_pos);
    return first != std::string::npos && m_bytes[first] == '"';
}

}  // namespace setup
