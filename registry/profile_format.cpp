#include "registry/profile_format.h"

#include <vector>

#include "platform/failure.h"
#include "platform/text_codec.h"

namespace setup {

namespace {

enum class LineKind { Other, Comment, Section, Key };

/// One line of the file: its bytes without the line end, where it starts and where the next one starts.
struct Line {
    std::size_t begin = 0;
    std::size_t end = 0;   ///< one past the last byte before the line end
    std::size_t next = 0;  ///< one past the line end (== end when the file stops without one)
    LineKind kind = LineKind::Other;
    std::string_view name;   ///< section name or key, trimmed
    std::string_view value;  ///< value of a key line, trimmed, quotes kept
};

/// Blanks around names and values, as the Windows profile services see them.
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

void classify(std::string_view content, Line& line) {
    std::string_view text = content.substr(line.begin, line.end - line.begin);
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    if (text.empty()) return;
    if (text.front() == ';') {
        line.kind = LineKind::Comment;
        return;
    }
    if (text.front() == '[') {
        // The name stops at the first "]"; a header without one still names a section.
        line.kind = LineKind::Section;
        line.name = trimBlanks(text.substr(1, text.find(']', 1) - 1));
        return;
    }
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) return;
    line.kind = LineKind::Key;
    line.name = trimBlanks(text.substr(0, equals));
    line.value = trimBlanks(text.substr(equals + 1));
}

/// The lines of `content`; CR LF, a lone CR and a lone LF each end a line.
std::vector<Line> splitLines(std::string_view content) {
    std::vector<Line> lines;
    std::size_t pos = 0;
    while (pos < content.size()) {
        Line line;
        line.begin = pos;
        const std::size_t stop = content.find_first_of("\r\n", pos);
        if (stop == std::string_view::npos) {
            line.end = line.next = content.size();
        } else {
            line.end = stop;
            line.next = stop + 1;
            if (content[stop] == '\r' && line.next < content.size() && content[line.next] == '\n')
                ++line.next;
        }
        classify(content, line);
        lines.push_back(line);
        pos = line.next;
    }
    return lines;
}

bool namesMatch(std::string_view a, std::string_view b) {
    // Windows-1252 gives one character per byte, so texts of different lengths never match.
    return a.size() == b.size() && equalIgnoringCase(fromAnsi(a), fromAnsi(b));
}

std::string_view unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

/// Index of the first header naming `section`, or lines.size().
std::size_t findSection(const std::vector<Line>& lines, std::string_view section) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind == LineKind::Section && namesMatch(lines[i].name, section)) return i;
    }
    return lines.size();
}

bool containsAny(std::string_view text, std::string_view bytes) {
    return text.find_first_of(bytes) != std::string_view::npos;
}

void refuseBreakingText(std::string_view section, std::string_view key, std::string_view value) {
    static constexpr std::string_view kLineBreaking("\r\n\0", 3);
    if (containsAny(section, kLineBreaking) || containsAny(key, kLineBreaking) ||
        containsAny(value, kLineBreaking)) {
        throw Failure("profile text holds a line end or NUL");
    }
    if (section.find(']') != std::string_view::npos) throw Failure("profile section name holds \"]\"");
    if (key.find('=') != std::string_view::npos) throw Failure("profile key holds \"=\"");
    if (trimBlanks(section).empty()) throw Failure("profile section name is empty");
    const std::string_view keyText = trimBlanks(key);
    if (keyText.empty()) throw Failure("profile key is empty");
    // Such a key line would read back as a section header or a comment.
    if (keyText.front() == '[' || keyText.front() == ';')
        throw Failure("profile key starts with \"[\" or \";\"");
}

}  // namespace

std::optional<std::string> findProfileValue(std::string_view content, std::string_view section,
                                            std::string_view key) {
    section = trimBlanks(section);
    key = trimBlanks(key);
    if (section.empty() || key.empty()) return std::nullopt;
    const std::vector<Line> lines = splitLines(content);
    for (std::size_t i = findSection(lines, section) + 1; i < lines.size(); ++i) {
        if (lines[i].kind == LineKind::Section) break;
        if (lines[i].kind == LineKind::Key && namesMatch(lines[i].name, key)) {
            return std::string(unquote(lines[i].value));
        }
    }
    return std::nullopt;
}

std::string withProfileValue(std::string_view content, std::string_view section, std::string_view key,
                             std::string_view value) {
    refuseBreakingText(section, key, value);
    // Names and the value are written as a read will find them again.
    section = trimBlanks(section);
    key = trimBlanks(key);
    value = trimBlanks(value);
    const std::vector<Line> lines = splitLines(content);
    const std::size_t header = findSection(lines, section);

    std::string result;
    result.reserve(content.size() + section.size() + key.size() + value.size() + 8);
    if (header == lines.size()) {
        result.append(content);
        if (!result.empty() && result.back() != '\r' && result.back() != '\n') result.append("\r\n");
        result.append("[").append(section).append("]\r\n");
        result.append(key).append("=").append(value).append("\r\n");
        return result;
    }

    std::size_t lastKey = header;
    for (std::size_t i = header + 1; i < lines.size(); ++i) {
        const Line& line = lines[i];
        if (line.kind == LineKind::Section) break;
        if (line.kind != LineKind::Key) continue;
        if (namesMatch(line.name, key)) {
            // The key keeps the spelling the file gave it, and its line keeps its own line end; a last line
            // without one gets CR LF, as every other line the write makes.
            result.append(content.substr(0, line.begin));
            result.append(line.name).append("=").append(value);
            if (line.next == line.end) result.append("\r\n");
            result.append(content.substr(line.end));
            return result;
        }
        lastKey = i;
    }

    const Line& before = lines[lastKey];
    result.append(content.substr(0, before.next));
    if (before.next == before.end) result.append("\r\n");
    result.append(key).append("=").append(value).append("\r\n");
    result.append(content.substr(before.next));
    return result;
}

std::string withoutProfileValue(std::string_view content, std::string_view section, std::string_view key) {
    section = trimBlanks(section);
    key = trimBlanks(key);
    const std::vector<Line> lines = splitLines(content);
    const std::size_t header = findSection(lines, section);
    if (header == lines.size()) return std::string(content);
    std::size_t sectionEnd = header + 1;
    while (sectionEnd < lines.size() && lines[sectionEnd].kind != LineKind::Section) ++sectionEnd;
    for (std::size_t i = header + 1; i < sectionEnd; ++i) {
        if (lines[i].kind != LineKind::Key || !namesMatch(lines[i].name, key)) continue;
        bool othersLeft = false;
        for (std::size_t j = header + 1; j < sectionEnd; ++j) {
            if (j != i && lines[j].kind != LineKind::Other) othersLeft = true;
            if (j != i && lines[j].kind == LineKind::Other && lines[j].end > lines[j].begin &&
                !trimBlanks(content.substr(lines[j].begin, lines[j].end - lines[j].begin)).empty()) {
                othersLeft = true;
            }
        }
        // A section left empty goes with its key, as it came: a stamp of a new product made both.
        const std::size_t from = othersLeft ? lines[i].begin : lines[header].begin;
        const std::size_t to = othersLeft ? lines[i].next : lines[sectionEnd - 1].next;
        return std::string(content.substr(0, from)).append(content.substr(to));
    }
    return std::string(content);
}

}  // namespace setup
