#include "run/update_journal.h"

#include <sstream>

#include "platform/text_codec.h"

namespace setup {

namespace {

constexpr const char* kHeading = "Kelvane update journal 1";
constexpr const char* kRegistryLine = "registry";
constexpr const char* kEndLine = "end";
constexpr const char* kReplace = "replace\t";
constexpr const char* kAdd = "add\t";
constexpr const char* kFolder = "folder\t";

bool startsWith(const std::string& line, const std::string& prefix) { return line.rfind(prefix, 0) == 0; }

/// The file of a line "<kind>\t<path>\t<staged path>"; nullopt for a line of another kind or shape.
std::optional<JournalFile> fileLine(const std::string& line, const std::string& kind, bool replacing) {
    if (!startsWith(line, kind)) return std::nullopt;
    const std::string rest = line.substr(kind.size());
    const auto tab = rest.find('\t');
    if (tab == 0 || tab == std::string::npos || tab + 1 == rest.size()) return std::nullopt;
    return JournalFile{fromUtf8(rest.substr(0, tab)), fromUtf8(rest.substr(tab + 1)), replacing};
}

}  // namespace

std::string formatJournal(const Journal& journal) {
    std::string text = std::string(kHeading) + "\n";
    if (journal.registrySaved) text += std::string(kRegistryLine) + "\n";
    for (const std::wstring& folder : journal.folders) text += kFolder + toUtf8(folder) + "\n";
    for (const JournalFile& file : journal.files) {
        text +=
            (file.replacing ? kReplace : kAdd) + toUtf8(file.relative) + "\t" + toUtf8(file.staged) + "\n";
    }
    return text + kEndLine + "\n";
}

std::optional<Journal> parseJournal(const std::string& text) {
    std::istringstream lines(text);
    std::string line;
    if (!std::getline(lines, line) || line != kHeading) return std::nullopt;
    Journal journal;
    while (std::getline(lines, line)) {
        if (line == kEndLine) {
            // Only a journal whose last line is whole was written to its end.
            if (lines.peek() != std::char_traits<char>::eof() || text.back() != '\n') return std::nullopt;
            return journal;
        }
        if (line == kRegistryLine) {
            journal.registrySaved = true;
        } else if (startsWith(line, kFolder) && line.size() > std::string(kFolder).size()) {
            journal.folders.push_back(fromUtf8(line.substr(std::string(kFolder).size())));
        } else if (auto file = fileLine(line, kReplace, true)) {
            journal.files.push_back(*file);
        } else if (auto file = fileLine(line, kAdd, false)) {
            journal.files.push_back(*file);
        } else {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

}  // namespace setup
