#include "check/list_analysis.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <map>
#include <set>
#include <system_error>
#include <utility>

#include "check/list_rule_texts.h"
#include "check/plan_findings.h"
#include "check/quiet_host.h"
#include "check/seal_findings.h"
#include "check/signature_findings.h"
#include "check/update_folder.h"
#include "platform/entry_reader.h"
#include "platform/failure.h"
#include "platform/file_io.h"
#include "platform/file_runtime.h"
#include "platform/path_mapping.h"
#include "platform/path_text.h"
#include "platform/program_files.h"
#include "platform/text_codec.h"
#include "run/messages.h"
#include "run/update_list.h"
#include "seal/seal_format.h"
#include "signature/signed_statement.h"

namespace setup::check {

namespace {

namespace fs = std::filesystem;

void report(std::vector<Finding>& findings, Rule rule, std::size_t line, RuleText text) {
    findings.push_back({rule, line, std::move(text.message), std::move(text.fix)});
}

bool isBlank(const std::wstring& text) { return text.find_first_not_of(L" \t\n") == std::wstring::npos; }

/// The Windows-1252 byte of `c`, or -1 when the code page has none (U+FFFD stands for the bytes the
/// code page leaves undefined, all of which lie among UTF-8's continuation bytes).
int ansiByte(wchar_t c) {
    if (c < 0x80) return static_cast<int>(c);
    if (c == L'\uFFFD') return 0x81;
    const std::string byte = toAnsi(std::wstring(1, c));
    return byte == "?" ? -1 : static_cast<unsigned char>(byte[0]);
}

/// True when the bytes behind `text` hold a well-formed UTF-8 sequence of two bytes or more: text
/// saved as UTF-8 and read through Windows-1252.
bool holdsUtf8(const std::wstring& text) {
    auto isContinuation = [](int byte) { return byte >= 0x80 && byte <= 0xBF; };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int lead = ansiByte(text[i]);
        std::size_t following = 0;
        if (lead >= 0xC2 && lead <= 0xDF)
            following = 1;
        else if (lead >= 0xE0 && lead <= 0xEF)
            following = 2;
        else if (lead >= 0xF0 && lead <= 0xF4)
            following = 3;
        else
            continue;
        if (i + following >= text.size()) continue;
        bool wellFormed = true;
        for (std::size_t k = 1; k <= following; ++k)
            wellFormed = wellFormed && isContinuation(ansiByte(text[i + k]));
        if (wellFormed) return true;
    }
    return false;
}

/// Follows the pre-copy and stamp passes without acting: records what each directive would be asked to
/// do with the entry at hand, and what is wrong with its text.
class PlanningDirectives final : public Directives {
  public:
    explicit PlanningDirectives(std::vector<Finding>& findings) : m_findings(findings) {}

    void attach(EntryPlan& plan) { m_plan = &plan; }

    void alert(std::wstring& entry) override { m_plan->warnings.push_back(warningMessage(entry)); }

    void Version(std::wstring& entry) override {
        if (!checkSectionSuffix(entry)) return;
        const VersionRange range = splitVersionRange(entry);
        checkVersionText(range.lower, VersionText::LowerBound);
        checkVersionText(range.upper, VersionText::UpperBound);
        m_plan->ranges.push_back(range);
    }

    void exist(std::wstring& entry) override {
        m_plan->requiredFiles.push_back(requiredFilePath(L"", entry));
    }

    void SetVer(std::wstring& entry) override {
        if (!checkSectionSuffix(entry)) return;
        StampWrite stamp;
        stamp.section = takeSectionSuffix(entry);
        stamp.version = entry;
        if (isBlank(stamp.version)) {
            add(Rule::VersionWithoutNumber, versionBlankText(stamp.section));
        } else {
            checkVersionText(stamp.version, VersionText::Stamp);
        }
        m_plan->stamps.push_back(stamp);
    }

  private:
    void add(Rule rule, RuleText text) { report(m_findings, rule, m_plan->line, std::move(text)); }

    /// Looks at the section suffix of a "§" or "#" entry; false when setup would fail on it.
    bool checkSectionSuffix(const std::wstring& entry) {
        const auto bracket = entry.find(L'[');
        if (bracket == std::wstring::npos) return true;
        if (bracket + 1 == entry.size()) {
            add(Rule::SectionNotClosed, sectionBracketLastText());
            return false;
        }
        std::wstring rest = entry;
        const std::wstring section = takeSectionSuffix(rest);
        const auto close = entry.find(L']', bracket + 1);
        if (close == std::wstring::npos) {
            add(Rule::SectionNotClosed, sectionNotClosedText(section));
        } else if (close + 1 != entry.size()) {
            add(Rule::TextAfterSection, textAfterSectionText(entry.substr(close + 1), section));
        }
        return true;
    }

    /// A version text must begin with a number; a blank bound sets no limit.
    void checkVersionText(const std::wstring& text, VersionText which) {
        if (isBlank(text)) return;
        try {
            if (leadingNumber(text)) return;
            add(Rule::VersionWithoutNumber, versionWithoutNumberText(which, text));
        } catch (const std::exception&) {
            add(Rule::VersionWithoutNumber, versionTooLargeText(which, text));
        }
    }

    std::vector<Finding>& m_findings;
    EntryPlan* m_plan = nullptr;
};

EntryRole roleOf(const std::wstring& text, bool isTitle) {
    switch (classifyEntry(text)) {
        case EntryKind::Remark:
            return isTitle ? EntryRole::Title : EntryRole::Comment;
        case EntryKind::Warning:
            return EntryRole::Warning;
        case EntryKind::VersionRange:
            return EntryRole::VersionRange;
        case EntryKind::RequiredFile:
            return EntryRole::RequiredFile;
        case EntryKind::VersionStamp:
            return EntryRole::VersionStamp;
        case EntryKind::File:
            return EntryRole::File;
        case EntryKind::Empty:
            break;
    }
    return EntryRole::Empty;
}

/// Reads the entries with the program's reader, each as every pass reads it, noting where each starts.
/// Reading stops at a quote never closed, as every pass of the program does.
void readEntries(const std::string& bytes, ListAnalysis& analysis) {
    EntryReader reader(bytes);
    while (!reader.atEnd()) {
        EntryPlan plan;
        plan.line = reader.line();
        const bool quotedEntry = reader.nextIsQuoted();
        std::wstring read;
        try {
            read = reader.next();
        } catch (const std::exception&) {
            report(analysis.findings, Rule::UnclosedQuote, plan.line, unclosedQuoteText());
            break;
        }
        plan.text = withoutTrailingSpaces(read);
        if (holdsUtf8(read))
            report(analysis.findings, Rule::NotWindows1252, plan.line, notWindows1252Text(plan.text));
        if (classifyEntry(plan.text) == EntryKind::Warning && !quotedEntry && !reader.atEnd() &&
            reader.line() == plan.line) {
            report(analysis.findings, Rule::WarningCutAtComma, plan.line,
                   warningCutAtCommaText(warningMessage(plan.text).text));
        }
        analysis.entries.push_back(std::move(plan));
    }
}

/// The title pass: the first ";" entry gives the title.
void planTitle(ListAnalysis& analysis) {
    const auto title =
        std::find_if(analysis.entries.begin(), analysis.entries.end(),
                     [](const EntryPlan& plan) { return startsWith(plan.text, kRemarkMarker); });
    analysis.caption =
        title == analysis.entries.end() ? std::wstring(kDefaultCaption) : title->text.substr(1);
    for (auto it = analysis.entries.begin(); it != analysis.entries.end(); ++it)
        it->role = roleOf(it->text, it == title);
    if (title == analysis.entries.end()) {
        report(analysis.findings, Rule::NoTitle, 0, noTitleText(analysis.caption));
        return;
    }
    const auto first = std::find_if(analysis.entries.begin(), analysis.entries.end(),
                                    [](const EntryPlan& plan) { return plan.role != EntryRole::Empty; });
    if (first != title) {
        report(analysis.findings, Rule::TitleNotFirst, title->line, titleNotFirstText());
    }
}

/// The pre-copy pass and the stamp pass, each over the entries as it reads them.
void planDirectives(ListAnalysis& analysis) {
    PlanningDirectives directives(analysis.findings);
    std::wstring currentLine;
    for (EntryPlan& plan : analysis.entries) {
        currentLine = plan.text;
        directives.attach(plan);
        runPreCopyTests(currentLine, directives);
    }
    if (startsWith(currentLine, kWarningMarker)) {
        analysis.repeatedWarning = warningMessage(currentLine);
        report(analysis.findings, Rule::LastWarningRepeated, analysis.entries.back().line,
               lastWarningRepeatedText());
    }
    for (EntryPlan& plan : analysis.entries) {
        currentLine = plan.text;
        directives.attach(plan);
        runStampTest(currentLine, directives);
    }
}

/// The count, the copy and the cleanup, and the files their entries name.
void planFiles(ListAnalysis& analysis, const std::wstring& folder) {
    std::int16_t count = 0;
    bool overflowReported = false;
    std::map<std::wstring, std::size_t> firstLineOf;
    // The file system is asked once per name, however often the list names it.
    std::map<std::wstring, ShippedFile> stateOf;
    auto stateOfFile = [&](const std::wstring& name) {
        auto known = stateOf.find(name);
        if (known == stateOf.end()) known = stateOf.emplace(name, shippedFileState(folder, name)).first;
        return known->second;
    };
    for (EntryPlan& plan : analysis.entries) {
        if (plan.role == EntryRole::Empty) {
            report(analysis.findings, Rule::EmptyEntry, plan.line, emptyEntryText());
        }
        // The cleanup never deletes outside the update folder, through a link neither.
        if (namesShippedFile(plan.text) && stateOfFile(plan.text) != ShippedFile::Outside) {
            plan.deleted = plan.text;
        }
        if (classifyEntry(plan.text) != EntryKind::File) continue;
        plan.counted = true;
        try {
            countEntry(count);
        } catch (const std::exception&) {
            if (!overflowReported) {
                report(analysis.findings, Rule::TooManyEntries, plan.line, tooManyEntriesText());
                overflowReported = true;
            }
        }
        const std::wstring name = trimSpaces(plan.text);
        plan.copied = name;
        const auto [known, added] = firstLineOf.emplace(sameFileKey(name), plan.line);
        if (!added) {
            report(analysis.findings, Rule::FileListedTwice, plan.line,
                   fileListedTwiceText(name, known->second));
            // Its file was looked at on its first line.
            continue;
        }
        switch (stateOfFile(name)) {
            case ShippedFile::Present:
                break;
            case ShippedFile::Outside:
                plan.refusedByCopy = true;
                report(analysis.findings, Rule::OutsideUpdateFolder, plan.line,
                       outsideUpdateFolderText(name));
                break;
            case ShippedFile::Missing:
                report(analysis.findings, Rule::MissingFile, plan.line, missingFileText(name));
                break;
        }
    }
}

/// The program's own files and every file an entry names; what is left is neither copied nor deleted.
void findUnnamedFiles(ListAnalysis& analysis, const std::wstring& folder) {
    std::set<std::wstring> named = {sameFileKey(kUpdateListName),    sameFileKey(kSealFileName),
                                    sameFileKey(kStatementFileName), sameFileKey(kSignatureFileName),
                                    sameFileKey(kProgramNames[0]),   sameFileKey(kProgramNames[1])};
    for (const EntryPlan& plan : analysis.entries) {
        if (plan.copied) named.insert(sameFileKey(*plan.copied));
        if (plan.deleted) named.insert(sameFileKey(*plan.deleted));
    }
    for (const std::wstring& file : filesInFolder(folder)) {
        if (named.contains(sameFileKey(file))) continue;
        report(analysis.findings, Rule::FileNotNamed, 0, fileNotNamedText(file));
    }
}

}  // namespace

ListAnalysis analyseList(const std::wstring& updateFolder) {
    ListAnalysis analysis;
    analysis.updateFolder = updateFolder;
    QuietHost host(updateFolder);
    FileRuntime runtime(host);
    analysis.listPath = updateListPath(runtime);
    std::string bytes;
    try {
        bytes = readWholeFile(mapPath(analysis.listPath));
        analysis.listFound = true;
    } catch (const std::exception&) {
        report(analysis.findings, Rule::NoList, 0, noListText());
    }
    if (analysis.listFound) {
        readEntries(bytes, analysis);
        planTitle(analysis);
        planDirectives(analysis);
        planFiles(analysis, updateFolder);
        checkPlanRefusals(analysis, runtime);
        findUnnamedFiles(analysis, updateFolder);
        checkSeal(analysis);
        checkSignature(analysis);
    }
    if (!hasProgram(updateFolder)) {
        report(analysis.findings, Rule::NoProgram, 0, noProgramText());
    }
    // Whole-folder findings (line 0) come after those of the lines.
    std::stable_sort(analysis.findings.begin(), analysis.findings.end(),
                     [](const Finding& a, const Finding& b) {
                         const std::size_t left = a.line == 0 ? SIZE_MAX : a.line;
                         const std::size_t right = b.line == 0 ? SIZE_MAX : b.line;
                         return left < right;
                     });
    return analysis;
}

}  // namespace setup::check
