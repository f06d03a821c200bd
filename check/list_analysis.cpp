#include "check/list_analysis.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <map>
#include <set>
#include <system_error>
#include <utility>

#include "check/plan_findings.h"
#include "check/plan_refusal_text.h"
#include "check/quiet_host.h"
#include "check/seal_findings.h"
#include "check/signature_findings.h"
#include "check/update_folder.h"
#include "platform/entry_reader.h"
#include "platform/failure.h"
#include "platform/file_io.h"
#include "platform/file_runtime.h"
#include "platform/path_mapping.h"
#include "platform/text_codec.h"
#include "registry/path_routines.h"
#include "run/messages.h"
#include "run/update_list.h"
#include "seal/seal_format.h"
#include "signature/signed_statement.h"

namespace setup::check {

namespace {

namespace fs = std::filesystem;

const std::wstring kSaveAsAnsi =
    L"Veuillez enregistrer la liste en Windows-1252 (\u00AB ANSI \u00BB dans la plupart des \u00E9diteurs), "
    L"sans marque d'ordre des octets.";
const std::wstring kWriteVersion = L"Veuillez \u00E9crire la version en chiffres, par exemple 3.1.";

std::wstring guillemets(const std::wstring& text) { return L"\u00AB " + text + L" \u00BB"; }

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
        checkVersionText(range.lower, L"La borne inf\u00E9rieure");
        checkVersionText(range.upper, L"La borne sup\u00E9rieure");
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
            add(Rule::VersionWithoutNumber,
                L"Aucune version n'est \u00E9crite apr\u00E8s \u00AB # \u00BB : setup "
                L"inscrirait une version vide pour " +
                    stamp.section + L".",
                kWriteVersion);
        } else {
            checkVersionText(stamp.version, L"La version \u00E0 inscrire");
        }
        m_plan->stamps.push_back(stamp);
    }

  private:
    void add(Rule rule, std::wstring message, std::wstring fix) {
        m_findings.push_back({rule, m_plan->line, std::move(message), std::move(fix)});
    }

    /// Looks at the section suffix of a "§" or "#" entry; false when setup would fail on it.
    bool checkSectionSuffix(const std::wstring& entry) {
        const auto bracket = entry.find(L'[');
        if (bracket == std::wstring::npos) return true;
        if (bracket + 1 == entry.size()) {
            add(Rule::SectionNotClosed,
                L"Le \u00AB [ \u00BB est le dernier caract\u00E8re de l'entr\u00E9e : setup "
                L"s'arr\u00EAterait sur "
                L"l'erreur \u00AB Mise \u00E0 jour non termin\u00E9e \u00BB.",
                L"Veuillez \u00E9crire le nom du produit entre crochets, par exemple [Kelvane], ou retirer "
                L"le "
                L"\u00AB [ \u00BB.");
            return false;
        }
        std::wstring rest = entry;
        const std::wstring section = takeSectionSuffix(rest);
        const auto close = entry.find(L']', bracket + 1);
        if (close == std::wstring::npos) {
            add(Rule::SectionNotClosed,
                L"La section n'est pas ferm\u00E9e par \u00AB ] \u00BB : setup retire quand m\u00EAme le "
                L"dernier "
                L"caract\u00E8re et lit le produit " +
                    guillemets(section) + L".",
                L"Veuillez fermer le nom du produit par \u00AB ] \u00BB \u00E0 la fin de l'entr\u00E9e.");
        } else if (close + 1 != entry.size()) {
            add(Rule::TextAfterSection,
                guillemets(entry.substr(close + 1)) + L" suit le \u00AB ] \u00BB : setup lit le produit " +
                    guillemets(section) + L".",
                L"Veuillez terminer l'entr\u00E9e par \u00AB ] \u00BB ; une borne sup\u00E9rieure se place "
                L"avant "
                L"le \u00AB [ \u00BB.");
        }
        return true;
    }

    /// A version text must begin with a number; a blank bound sets no limit.
    void checkVersionText(const std::wstring& text, const std::wstring& what) {
        if (isBlank(text)) return;
        try {
            if (leadingNumber(text)) return;
            add(Rule::VersionWithoutNumber,
                what + L" " + guillemets(text) + L" ne commence par aucun nombre : setup la lit comme 0.",
                kWriteVersion);
        } catch (const std::exception&) {
            add(Rule::VersionWithoutNumber,
                what + L" " + guillemets(text) +
                    L" est un nombre trop grand : setup s'arr\u00EAterait sur "
                    L"l'erreur \u00AB Mise \u00E0 jour non termin\u00E9e \u00BB.",
                kWriteVersion);
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
            analysis.findings.push_back(
                {Rule::UnclosedQuote, plan.line,
                 L"Un guillemet ouvert ici n'est jamais ferm\u00E9 : setup s'arr\u00EAterait sur l'erreur "
                 L"\u00AB Mise \u00E0 jour non termin\u00E9e \u00BB, et rien apr\u00E8s ce guillemet n'est "
                 L"lu.",
                 L"Veuillez fermer le guillemet \u00E0 la fin de l'entr\u00E9e."});
            break;
        }
        plan.text = withoutTrailingSpaces(read);
        if (holdsUtf8(read)) {
            std::wstring message = L"Cette ligne contient du texte en UTF-8";
            if (plan.text.rfind(L"\u00C2\u00A7", 0) == 0) {
                message =
                    L"Le \u00AB \u00A7 \u00BB est enregistr\u00E9 en UTF-8 (octets C2 A7) : setup lit "
                    L"\u00AB \u00C2\u00A7 \u00BB et prend cette plage de versions pour un fichier "
                    L"\u00E0 copier.";
            } else if (plan.text.rfind(L"\u00EF\u00BB\u00BF", 0) == 0) {
                message =
                    L"La liste commence par la marque d'ordre des octets UTF-8 : setup la lit "
                    L"\u00AB \u00EF\u00BB\u00BF \u00BB au d\u00E9but de la premi\u00E8re entr\u00E9e, qui "
                    L"change de nature.";
            } else {
                message += L" : setup afficherait " + guillemets(plan.text) + L".";
            }
            analysis.findings.push_back({Rule::NotWindows1252, plan.line, message, kSaveAsAnsi});
        }
        if (classifyEntry(plan.text) == EntryKind::Warning && !quotedEntry && !reader.atEnd() &&
            reader.line() == plan.line) {
            analysis.findings.push_back(
                {Rule::WarningCutAtComma, plan.line,
                 L"L'avertissement s'arr\u00EAte \u00E0 la virgule : setup affiche " +
                     guillemets(warningMessage(plan.text).text) +
                     L" et lit la suite de la ligne comme d'autres entr\u00E9es (des fichiers \u00E0 "
                     L"copier).",
                 L"Veuillez mettre tout l'avertissement, \u00AB ! \u00BB compris, entre guillemets."});
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
        analysis.findings.push_back(
            {Rule::NoTitle, 0,
             L"La liste n'a pas d'entr\u00E9e de titre : la fen\u00EAtre affiche " +
                 guillemets(analysis.caption) + L".",
             L"Veuillez commencer la liste par \u00AB ; \u00BB suivi du titre de la mise "
             L"\u00E0 jour."});
        return;
    }
    const auto first = std::find_if(analysis.entries.begin(), analysis.entries.end(),
                                    [](const EntryPlan& plan) { return plan.role != EntryRole::Empty; });
    if (first != title) {
        analysis.findings.push_back({Rule::TitleNotFirst, title->line,
                                     L"Le titre n'est pas la premi\u00E8re entr\u00E9e de la liste.",
                                     L"Veuillez placer le titre en t\u00EAte de la liste."});
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
        analysis.findings.push_back({Rule::LastWarningRepeated, analysis.entries.back().line,
                                     L"La liste se termine par un avertissement : setup l'affiche une "
                                     L"seconde fois juste avant la question de confirmation.",
                                     L""});
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
            analysis.findings.push_back({Rule::EmptyEntry, plan.line,
                                         L"Entr\u00E9e vide (ligne vide, virgule en trop ou espaces seuls).",
                                         L"Veuillez retirer la ligne vide ou la virgule en trop."});
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
                analysis.findings.push_back(
                    {Rule::TooManyEntries, plan.line,
                     L"Plus de 32 767 fichiers \u00E0 copier : setup s'arr\u00EAterait "
                     L"sur l'erreur \u00AB Mise \u00E0 jour non termin\u00E9e \u00BB.",
                     L"Veuillez r\u00E9partir les fichiers sur plusieurs mises \u00E0 "
                     L"jour."});
                overflowReported = true;
            }
        }
        const std::wstring name = trimSpaces(plan.text);
        plan.copied = name;
        const auto [known, added] = firstLineOf.emplace(sameFileKey(name), plan.line);
        if (!added) {
            analysis.findings.push_back({Rule::FileListedTwice, plan.line,
                                         guillemets(name) + L" est d\u00E9j\u00E0 copi\u00E9 par la ligne " +
                                             std::to_wstring(known->second) +
                                             L" : il serait copi\u00E9 deux fois.",
                                         L"Veuillez ne garder qu'une entr\u00E9e pour ce fichier."});
            // Its file was looked at on its first line.
            continue;
        }
        switch (stateOfFile(name)) {
            case ShippedFile::Present:
                break;
            case ShippedFile::Outside:
                plan.refusedByCopy = true;
                analysis.findings.push_back(
                    {Rule::OutsideUpdateFolder, plan.line,
                     guillemets(name) +
                         L" d\u00E9signe un chemin hors du dossier de mise \u00E0 jour : setup refuse "
                         L"de le copier et s'arr\u00EAterait sur l'erreur \u00AB Mise \u00E0 jour non "
                         L"termin\u00E9e \u00BB.",
                     refusalFix({name, RefusalReason::OutsideUpdateFolder})});
                break;
            case ShippedFile::Missing:
                analysis.findings.push_back(
                    {Rule::MissingFile, plan.line,
                     guillemets(name) +
                         L" est absent du dossier de mise \u00E0 jour : la copie \u00E9chouerait.",
                     L"Veuillez ajouter ce fichier au dossier de mise \u00E0 jour, ou corriger son nom."});
                break;
        }
    }
}

/// The program's own files and every file an entry names; what is left is neither copied nor deleted.
void findUnnamedFiles(ListAnalysis& analysis, const std::wstring& folder) {
    std::set<std::wstring> named = {sameFileKey(L"setup.lst"),       sameFileKey(kSealFileName),
                                    sameFileKey(kStatementFileName), sameFileKey(kSignatureFileName),
                                    sameFileKey(kProgramNames[0]),   sameFileKey(kProgramNames[1])};
    for (const EntryPlan& plan : analysis.entries) {
        if (plan.copied) named.insert(sameFileKey(*plan.copied));
        if (plan.deleted) named.insert(sameFileKey(*plan.deleted));
    }
    for (const std::wstring& file : filesInFolder(folder)) {
        if (named.contains(sameFileKey(file))) continue;
        analysis.findings.push_back(
            {Rule::FileNotNamed, 0,
             guillemets(file) + L" n'est nomm\u00E9 par aucune entr\u00E9e : il n'est ni "
                                L"copi\u00E9 ni supprim\u00E9.",
             L"Veuillez ajouter ce fichier \u00E0 la liste, ou le retirer du dossier."});
    }
}

}  // namespace

bool ListAnalysis::has(Severity severity) const {
    return std::any_of(findings.begin(), findings.end(),
                       [&](const Finding& finding) { return severityOf(finding.rule) == severity; });
}

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
        analysis.findings.push_back(
            {Rule::NoList, 0,
             L"Aucune liste setup.lst lisible dans le dossier de mise \u00E0 jour : setup "
             L"s'arr\u00EAterait sur l'erreur \u00AB Mise \u00E0 jour non termin\u00E9e "
             L"\u00BB.",
             L"Veuillez placer la liste setup.lst dans le dossier de mise \u00E0 jour."});
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
        analysis.findings.push_back(
            {Rule::NoProgram, 0,
             L"Ni setup ni setup.exe ne se trouve \u00E0 c\u00F4t\u00E9 de la liste : "
             L"l'utilisateur n'a rien \u00E0 lancer.",
             L"Veuillez copier le programme setup (setup.exe sous Windows) dans le "
             L"dossier de mise \u00E0 jour."});
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
