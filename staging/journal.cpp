#include "staging/journal.h"

#include <string_view>

#include "platform/text_codec.h"
#include "staging/update_plan.h"

namespace setup {

namespace {

constexpr const char* kHeading = "Kelvane update journal 2";
constexpr const char* kEndLine = "end";

/// The lines of a journal's text, each without its line feed. A last line without one is told apart: the
/// write stopped in it.
class JournalLines {
  public:
    explicit JournalLines(std::string_view text) : m_text(text) {}

    /// Takes the next line into `line`; false once every line is taken.
    bool next(std::string& line) {
        if (atEnd()) return false;
        const std::size_t feed = m_text.find('\n', m_at);
        m_cutShort = feed == std::string_view::npos;
        const std::size_t end = m_cutShort ? m_text.size() : feed;
        line.assign(m_text.substr(m_at, end - m_at));
        m_at = m_cutShort ? end : end + 1;
        return true;
    }
    /// True when the line last taken ran to the end of the text without a line feed.
    bool cutShort() const { return m_cutShort; }
    /// True when every line has been taken.
    bool atEnd() const { return m_at >= m_text.size(); }

  private:
    std::string_view m_text;
    std::size_t m_at = 0;
    bool m_cutShort = false;
};

std::vector<std::string> splitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const auto tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

/// Reads one line into `journal`; answers why it fails, empty when it is good.
std::wstring readLine(const std::string& line, Journal& journal) {
    const std::vector<std::string> fields = splitTabs(line);
    std::vector<std::wstring> wide;
    for (const std::string& field : fields) {
        wide.push_back(fromUtf8(field));
        if (toUtf8(wide.back()) != field) return L"un nom qui n'est pas en UTF-8";
    }
    const std::string& kind = fields.front();
    if (kind == "run" && fields.size() == 2 && !fields[1].empty() && journal.runId.empty()) {
        journal.runId = wide[1];
        return L"";
    }
    if (kind == "process" && fields.size() == 2 && !fields[1].empty() && fields[1].size() <= 19 &&
        fields[1].find_first_not_of("0123456789") == std::string::npos && journal.process == 0) {
        journal.process = std::stoull(fields[1]);
        return L"";
    }
    if (kind == "folder" && fields.size() == 2) {
        if (!isJournalPath(wide[1])) return L"un dossier hors de l'installation";
        journal.folders.push_back(wide[1]);
        return L"";
    }
    if ((kind == "new" && fields.size() == 3) || (kind == "replace" && fields.size() == 4)) {
        const std::wstring& path = wide[1];
        if (!isJournalPath(path)) return L"un fichier hors de l'installation";
        const std::size_t last = path.find_last_of(L'/');
        // The one file of the program's own a run writes is the trust file, at the installation's top.
        if (path != kTrustName && isOwnFileName(last == std::wstring::npos ? path : path.substr(last + 1)))
            return L"un fichier nomm\u00E9 comme les fichiers du programme";
        if (wide[2] != path + kStagedSuffix)
            return L"une copie pr\u00E9par\u00E9e que le programme ne nomme pas ainsi";
        if (kind == "replace" && wide[3] != path + kAsideSuffix)
            return L"un fichier mis de c\u00F4t\u00E9 que le programme ne nomme pas ainsi";
        journal.files.push_back({path, kind == "replace"});
        return L"";
    }
    if ((kind == "value" && fields.size() == 4) || (kind == "novalue" && fields.size() == 3)) {
        // Putting a value back writes the registry: only the key the stamps write may be named, so that
        // a journal planted in the installation can never set where the product lives, or anything else.
        if (fields[1].empty() || wide[2] != kVersionKey) return L"une valeur que le programme n'inscrit pas";
        journal.values.push_back({wide[1], wide[2], kind == "value" ? std::optional(wide[3]) : std::nullopt});
        return L"";
    }
    return L"une ligne que le programme n'\u00E9crit pas";
}

}  // namespace

bool isJournalPath(const std::wstring& path) {
    if (path.empty() || path.front() == L'/' || path.back() == L'/') return false;
    if (path.find_first_of(L"\\:") != std::wstring::npos) return false;
    for (wchar_t c : path) {
        if (c < 0x20 || c == 0x7F) return false;
    }
    std::size_t start = 0;
    for (;;) {
        const auto slash = path.find(L'/', start);
        const std::wstring part = path.substr(start, slash - start);
        if (part.empty() || part == L"." || part == L"..") return false;
        if (slash == std::wstring::npos) return true;
        start = slash + 1;
    }
}

std::string formatJournal(const Journal& journal) {
    std::string text = std::string(kHeading) + "\nrun\t" + toUtf8(journal.runId) + "\nprocess\t" +
                       std::to_string(journal.process) + "\n";
    for (const std::wstring& folder : journal.folders) text += "folder\t" + toUtf8(folder) + "\n";
    for (const JournalFile& file : journal.files) {
        const std::string path = toUtf8(file.relative);
        const std::string staged = toUtf8(file.relative + kStagedSuffix);
        if (file.replacing)
            text += "replace\t" + path + "\t" + staged + "\t" + toUtf8(file.relative + kAsideSuffix) + "\n";
        else
            text += "new\t" + path + "\t" + staged + "\n";
    }
    for (const JournalValue& value : journal.values) {
        const std::string name = toUtf8(value.section) + "\t" + toUtf8(value.key);
        if (value.before)
            text += "value\t" + name + "\t" + toUtf8(*value.before) + "\n";
        else
            text += "novalue\t" + name + "\n";
    }
    return text + kEndLine + "\n";
}

ParsedJournal parseJournal(const std::string& text) {
    ParsedJournal parsed;
    // The lines are read in place, one at a time: a journal costs its own size and the names it holds.
    std::string_view rest(text);
    std::string line;
    bool whole = false;  // the line read last ended with its line feed
    auto nextLine = [&] {
        if (rest.empty()) return false;
        const std::size_t end = rest.find('\n');
        whole = end != std::string_view::npos;
        line.assign(rest.substr(0, whole ? end : rest.size()));
        rest.remove_prefix(whole ? end + 1 : rest.size());
        return true;
    };
    if (!nextLine() || line != kHeading || !whole) {
        // Only the heading, or part of it, was written before the run stopped.
        const std::string heading = std::string(kHeading) + "\n";
        if (text.size() <= heading.size() && heading.compare(0, text.size(), text) == 0) {
            parsed.state = JournalText::CutShort;
            return parsed;
        }
        parsed.reason = L"ce n'est pas un journal du programme";
        return parsed;
    }
    std::size_t number = 1;
    while (nextLine()) {
        ++number;
        if (!whole) {
            // A last line without its line feed: the write stopped there.
            parsed.state = JournalText::CutShort;
            return parsed;
        }
        if (line == kEndLine) {
            if (!rest.empty()) break;
            if (parsed.journal.runId.empty()) {
                parsed.reason = L"aucune ex\u00E9cution nomm\u00E9e";
                return parsed;
            }
            parsed.state = JournalText::Whole;
            return parsed;
        }
        const std::wstring problem = readLine(line, parsed.journal);
        if (!problem.empty()) {
            parsed.reason = L"ligne " + std::to_wstring(number) + L" : " + problem;
            parsed.journal = {};
            return parsed;
        }
    }
    if (rest.empty() && line != kEndLine) {
        parsed.state = JournalText::CutShort;
        return parsed;
    }
    parsed.reason = L"du texte apr\u00E8s la fin";
    parsed.journal = {};
    return parsed;
}

}  // namespace setup
