#include "check/text_report.h"

#include <string>
#include <vector>

#include "platform/path_mapping.h"
#include "platform/quoting.h"
#include "platform/text_codec.h"

namespace setup::check {

namespace {

std::wstring kindName(EntryRole role) {
    switch (role) {
        case EntryRole::Title:
            return L"titre";
        case EntryRole::Comment:
            return L"commentaire";
        case EntryRole::Warning:
            return L"avertissement";
        case EntryRole::VersionRange:
            return L"plage de versions";
        case EntryRole::RequiredFile:
            return L"fichier requis";
        case EntryRole::VersionStamp:
            return L"version";
        case EntryRole::File:
            return L"fichier";
        case EntryRole::Empty:
            break;
    }
    return L"vide";
}

std::wstring padded(std::wstring text, std::size_t width) {
    if (text.size() < width) text.append(width - text.size(), L' ');
    return text;
}

/// A program path as the file system spells it, for people to find it.
std::wstring shown(const std::wstring& path) { return programPath(mapPath(path)); }

std::wstring lineLabel(std::size_t line) { return line == 0 ? L"Liste" : L"Ligne " + std::to_wstring(line); }

/// A byte count with its digits grouped by three, as French writes it.
std::wstring bytesText(std::uintmax_t bytes) {
    std::wstring digits = std::to_wstring(bytes);
    for (std::size_t pos = digits.size(); pos > 3; pos -= 3) digits.insert(pos - 3, 1, L' ');
    return digits + (bytes > 1 ? L" octets" : L" octet");
}

std::wstring rangeText(const VersionRange& range) {
    const bool noLower = range.lower.find_first_not_of(L" \t\n") == std::wstring::npos;
    const bool noUpper = range.upper.find_first_not_of(L" \t\n") == std::wstring::npos;
    std::wstring text = range.section + L" en version ";
    if (noLower && noUpper) return text + L"quelconque";
    if (!noLower) text += range.lower + L" au moins";
    if (!noLower && !noUpper) text += L" et ";
    if (!noUpper) text += range.upper + L" au plus";
    return text;
}

/// What the passes of setup do with one entry.
std::wstring passesText(const EntryPlan& plan) {
    std::vector<std::wstring> parts;
    if (plan.role == EntryRole::Title) parts.push_back(L"donne le titre " + guillemets(plan.text.substr(1)));
    for (const BoxMessage& warning : plan.warnings)
        parts.push_back(L"avant la question, affiche " + guillemets(warning.text));
    for (const VersionRange& range : plan.ranges)
        parts.push_back(L"avant la question, exige " + rangeText(range));
    for (const std::wstring& path : plan.requiredFiles)
        parts.push_back(L"avant la question, exige " + guillemets(path) + L" dans l'installation");
    if (plan.copied && plan.refusedByCopy) {
        parts.push_back(L"la copie refuse " + guillemets(*plan.copied) +
                        L" et la mise \u00E0 jour s'arr\u00EAte");
    } else if (plan.copied && plan.refusedByPlan) {
        parts.push_back(L"setup refuse " + guillemets(*plan.copied) + L" et toute la mise \u00E0 jour");
    } else if (plan.copied) {
        parts.push_back(L"copie " + guillemets(*plan.copied) + L" dans l'installation");
    }
    for (const StampWrite& stamp : plan.stamps) {
        if (plan.refusedByPlan) {
            parts.push_back(L"setup refuse la version " + guillemets(stamp.version) +
                            L" et toute la mise \u00E0 jour");
        } else {
            parts.push_back(L"apr\u00E8s la copie, inscrit la version " + guillemets(stamp.version) +
                            L" pour " + stamp.section);
        }
    }
    if (plan.deleted) {
        parts.push_back(plan.copied ? L"le supprime du dossier de mise \u00E0 jour \u00E0 la fin"
                                    : L"\u00E0 la fin, supprime un fichier " + guillemets(*plan.deleted) +
                                          L" du dossier de mise \u00E0 jour s'il existe");
    }
    if (parts.empty()) {
        return plan.role == EntryRole::Empty ? L"aucune passe ne la lit comme une entr\u00E9e utile"
                                             : L"aucune passe n'agit sur cette entr\u00E9e";
    }
    std::wstring text;
    for (const std::wstring& part : parts) text += (text.empty() ? L"" : L" ; ") + part;
    return text;
}

void appendFindings(std::wstring& out, const ListAnalysis& analysis, Severity severity,
                    const std::wstring& heading, const std::wstring& none) {
    std::vector<const Finding*> found;
    for (const Finding& finding : analysis.findings) {
        if (severityOf(finding.rule) == severity) found.push_back(&finding);
    }
    if (found.empty()) {
        if (!none.empty()) out += none + L"\n";
        return;
    }
    out += heading + L" (" + std::to_wstring(found.size()) + L") :\n";
    for (const Finding* finding : found) {
        out += L"  " + lineLabel(finding->line) + L" : " + finding->message + L"\n";
        if (!finding->fix.empty()) out += L"    Correction : " + finding->fix + L"\n";
    }
}

std::wstring changeText(const CopyOutcome& copy) {
    switch (copy.change) {
        case CopyChange::New:
            return L"nouveau fichier";
        case CopyChange::Replaces:
            return L"remplace un fichier diff\u00E9rent";
        case CopyChange::Identical:
            return L"identique au fichier install\u00E9 (la copie ne change rien)";
    }
    return {};
}

/// What setup would do first with the journals found, read before anything else of the installation.
std::wstring journalText(const PendingJournal& journal) {
    std::wstring found;
    for (const std::wstring& path : journal.paths) found += (found.empty() ? L"" : L", ") + shown(path);
    const std::wstring before = L"  Journal d'une mise \u00E0 jour interrompue : " + found + L" : setup ";
    const std::wstring asItStands =
        L", puis continuerait ; l'essai ci-dessous lit l'installation telle qu'elle est avant cette "
        L"reprise.\n";
    switch (journal.action) {
        case JournalAction::None:
            break;
        case JournalAction::Undo:
            return before +
                   L"annulerait d'abord cette mise \u00E0 jour (l'installation retrouverait son "
                   L"\u00E9tat pr\u00E9c\u00E9dent)" +
                   asItStands;
        case JournalAction::Finish:
            return before +
                   L"terminerait d'abord le nettoyage de cette mise \u00E0 jour, d\u00E9j\u00E0 "
                   L"valid\u00E9e" +
                   asItStands;
        case JournalAction::Discard:
            return before + L"retirerait d'abord ce journal inachev\u00E9, \u00E9crit avant toute copie" +
                   asItStands;
        case JournalAction::Reject:
        case JournalAction::Fail:
            return before +
                   L"s'arr\u00EAterait d\u00E8s son d\u00E9marrage (voir l'\u00E9chec "
                   L"pr\u00E9vu).\n";
    }
    return {};
}

void appendDryRun(std::wstring& out, const DryRun& run) {
    out += L"\nEssai sur l'installation (registre : " + shown(run.registry) +
           (run.registryFound ? L")\n" : L", fichier absent)\n");
    if (!run.installed) {
        out += run.installDir.empty()
                   ? L"  Le registre n'indique aucun dossier d'installation de Kelvane.\n"
                   : L"  Le dossier d'installation " + run.installDir + L" n'existe pas.\n";
    } else {
        out += L"  Dossier d'installation : " + shown(run.installDir) + L"\n";
        out += journalText(run.journal);
        for (const RangeOutcome& range : run.ranges) {
            out += L"  " + lineLabel(range.line) + L" : " + range.range.section +
                   L" install\u00E9 en version " + (range.installed.empty() ? L"(aucune)" : range.installed) +
                   L", la plage demande " + rangeText(range.range) + L" : " +
                   (range.refusal ? L"refus" : L"accept\u00E9") + L"\n";
        }
        for (const RequiredOutcome& required : run.requiredFiles) {
            out += L"  " + lineLabel(required.line) + L" : " + shown(required.path) +
                   (required.present ? L" : pr\u00E9sent\n" : L" : absent\n");
        }
        for (const CopyOutcome& copy : run.copies) {
            out += L"  " + lineLabel(copy.line) + L" : " + copy.name + L" \u2192 " + shown(copy.target) +
                   L" : " + changeText(copy) +
                   (copy.writable ? L", \u00E9criture possible\n" : L", \u00E9CRITURE IMPOSSIBLE\n");
        }
        out += L"  \u00C0 copier : " + bytesText(run.bytesToCopy) + L" ; espace libre : " +
               (run.freeBytes ? bytesText(*run.freeBytes) : L"inconnu") + L"\n";
        for (const StampOutcome& stamp : run.stamps) {
            out += L"  " + lineLabel(stamp.line) + L" : version inscrite pour " + stamp.section + L" : " +
                   stamp.version + (stamp.writable ? L"\n" : L" (le registre la refuserait)\n");
        }
        for (const std::wstring& failure : run.failures)
            out += L"  \u00C9chec pr\u00E9vu : " + failure + L"\n";
    }
    if (run.refusal) {
        out += L"  setup refuserait la mise \u00E0 jour avec ce message :\n";
        out += L"    Titre : " + run.refusal->title + L"\n";
        out += L"    Texte : " + run.refusal->text + L"\n";
    }
}

}  // namespace

std::wstring textReport(const ListAnalysis& analysis, const std::optional<DryRun>& run, int status) {
    std::wstring out = L"Liste : " + shown(analysis.listPath) + L"\n";
    if (analysis.listFound) {
        out += L"Titre : " + guillemets(analysis.caption) + L"\n\n";
        for (const EntryPlan& plan : analysis.entries) {
            out +=
                padded(lineLabel(plan.line), 10) + padded(kindName(plan.role), 19) + passesText(plan) + L"\n";
        }
        if (analysis.repeatedWarning) {
            out += padded(L"", 29) + L"puis, juste avant la question, affiche de nouveau " +
                   guillemets(analysis.repeatedWarning->text) + L"\n";
        }
        out += L"\n";
    }
    appendFindings(out, analysis, Severity::Error, L"Erreurs", L"Aucune erreur.");
    appendFindings(out, analysis, Severity::Warning, L"Avertissements", L"Aucun avertissement.");
    appendFindings(out, analysis, Severity::Note, L"Remarques", L"");
    if (run) appendDryRun(out, *run);
    out += L"\nR\u00E9sultat : ";
    switch (status) {
        case 0:
            out += run ? L"la mise \u00E0 jour s'appliquerait \u00E0 cette installation.\n"
                       : L"la liste ne contient pas d'erreur.\n";
            break;
        case 1:
            out +=
                analysis.has(Severity::Error)
                    ? L"la liste contient des erreurs ; veuillez les corriger avant de livrer la mise \u00E0 "
                      L"jour.\n"
                    : L"la liste contient des avertissements (v\u00E9rification stricte).\n";
            break;
        default:
            out += L"cette installation refuserait la mise \u00E0 jour, ou celle-ci \u00E9chouerait.\n";
            break;
    }
    return out;
}

}  // namespace setup::check
