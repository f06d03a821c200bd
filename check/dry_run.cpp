#include "check/dry_run.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <fstream>
#include <set>
#include <system_error>

#include "check/list_plan.h"
#include "check/plan_refusal_text.h"
#include "check/quiet_host.h"
#include "check/update_folder.h"
#include "platform/file_access.h"
#include "platform/file_io.h"
#include "platform/file_probe.h"
#include "platform/file_runtime.h"
#include "platform/file_services.h"
#include "platform/path_mapping.h"
#include "platform/path_text.h"
#include "platform/text_codec.h"
#include "registry/product_registry.h"
#include "registry/profile_format.h"
#include "run/failure_exit.h"
#include "run/messages.h"

namespace setup::check {

namespace {

namespace fs = std::filesystem;

/// The folder that holds `path`, or the nearest one above it that exists: the copy creates the others.
fs::path nearestExistingFolder(fs::path path) {
    std::error_code error;
    for (path = path.parent_path(); !path.empty(); path = path.parent_path()) {
        if (fs::exists(path, error)) return path;
        if (path == path.root_path()) break;
    }
    return fs::path(".");
}

bool sameBytes(const fs::path& a, const fs::path& b) {
    std::error_code error;
    if (fs::file_size(a, error) != fs::file_size(b, error) || error) return false;
    std::ifstream left(a, std::ios::binary);
    std::ifstream right(b, std::ios::binary);
    char leftBlock[65536];
    char rightBlock[65536];
    while (left && right) {
        left.read(leftBlock, sizeof leftBlock);
        right.read(rightBlock, sizeof rightBlock);
        if (left.gcount() != right.gcount()) return false;
        if (!std::equal(leftBlock, leftBlock + left.gcount(), rightBlock)) return false;
    }
    return left.eof() && right.eof();
}

std::wstring lineLabel(std::size_t line) {
    return line == 0 ? L"" : L"Ligne " + std::to_wstring(line) + L" : ";
}

/// What the copy of an entry the plan accepts does at its target.
CopyOutcome copyOutcome(const EntryPlan& entry, const std::wstring& updateFolder, const std::wstring& source,
                        const std::wstring& target, bool replacing) {
    CopyOutcome outcome;
    outcome.line = entry.line;
    outcome.name = *entry.copied;
    outcome.target = target;
    const fs::path sourcePath = mapPath(source);
    const fs::path destination = mapPath(target);
    std::error_code error;
    const bool sourcePresent = shippedFileState(updateFolder, outcome.name) == ShippedFile::Present;
    if (sourcePresent) outcome.bytes = fs::file_size(sourcePath, error);
    if (!replacing) {
        outcome.change = CopyChange::New;
        outcome.writable = canWriteInDirectory(nearestExistingFolder(destination));
        return outcome;
    }
    outcome.change =
        sourcePresent && sameBytes(sourcePath, destination) ? CopyChange::Identical : CopyChange::Replaces;
    // The new file is staged beside the old one and renamed over it.
    outcome.writable = canWriteInDirectory(destination.parent_path());
    return outcome;
}

/// Setup's own plan of the copy, made on the installation as it stands, and what it decides for each
/// file entry and each version, at its line.
void planCopies(const ListAnalysis& analysis, Runtime& runtime, DryRun& run) {
    const ListPlanInput list =
        listPlanInput(analysis.entries, runtime.host().programDirectory(), run.installDir);
    FileServices& files = runtime.files();
    UpdatePlan plan;
    try {
        // Held as setup holds them, so that the plan reads the installation as a run would.
        files.holdFolder(runtime.host().programDirectory());
        files.holdFolder(run.installDir);
        plan = makeUpdatePlan(files, list.input);
    } catch (const std::exception&) {
        run.failures.push_back(
            L"L'installation ne peut pas \u00EAtre examin\u00E9e : setup s'arr\u00EAterait sur l'erreur "
            L"\u00AB Mise \u00E0 jour non termin\u00E9e \u00BB.");
        return;
    }
    std::set<std::size_t> refusedEntries;
    for (const PlacedRefusal& placed : placeRefusals(plan, list)) {
        const EntryPlan* entry = placed.entry ? &analysis.entries[*placed.entry] : nullptr;
        if (entry) refusedEntries.insert(*placed.entry);
        // Only what stands at the place tells a folder from a link; other refusals are about the name.
        NodeKind found = NodeKind::Missing;
        if (placed.refusal.reason == RefusalReason::NotAFile) {
            try {
                found = files.kindOf(files.spell(joinPath(plan.root, placed.refusal.entry)));
            } catch (const std::exception&) {
                // The place cannot be looked at: the refusal is told without naming what stands there.
            }
        }
        const std::size_t line = entry ? entry->line : 0;
        PlanRefusalOutcome outcome{line, placed.refusal, refusalConsequence(placed.refusal, found), false};
        // What every installation would refuse is an error of the list, told there once.
        outcome.listError = entry && entry->refusedByPlan == placed.refusal.reason;
        if (!outcome.listError) run.failures.push_back(lineLabel(line) + outcome.consequence + L".");
        run.planRefusals.push_back(std::move(outcome));
    }
    std::size_t accepted = 0;
    for (const std::size_t index : list.fileEntries) {
        if (refusedEntries.contains(index) || accepted >= plan.entryFiles.size()) continue;
        const PlannedFile& file = plan.files[plan.entryFiles[accepted]];
        run.copies.push_back(copyOutcome(analysis.entries[index], analysis.updateFolder,
                                         plan.entrySources[accepted], joinPath(plan.root, file.relative),
                                         file.replacing));
        ++accepted;
    }
    for (const CopyOutcome& copy : run.copies) {
        run.bytesToCopy += copy.bytes;
        if (!copy.writable) {
            run.failures.push_back(lineLabel(copy.line) + copy.name +
                                   L" ne peut pas \u00EAtre \u00E9crit dans l'installation.");
        }
    }
}

/// What setup would do first with a journal left in the installation, and why it would stop there.
void followJournal(Runtime& runtime, DryRun& run) {
    run.journal = pendingJournal(runtime, run.installDir);
    if (run.journal.action == JournalAction::Reject) {
        run.failures.push_back(
            L"setup ne reprendrait pas le journal d'une mise \u00E0 jour pr\u00E9c\u00E9dente : il "
            L"s'arr\u00EAterait d\u00E8s son d\u00E9marrage, sans rien modifier, avec le message \u00AB " +
            run.journal.stop->text + L" \u00BB.");
    } else if (run.journal.action == JournalAction::Fail) {
        run.failures.push_back(
            L"Le journal d'une mise \u00E0 jour interrompue ne peut pas \u00EAtre examin\u00E9 : setup "
            L"s'arr\u00EAterait d\u00E8s son d\u00E9marrage sur l'erreur \u00AB Mise \u00E0 jour non "
            L"termin\u00E9e \u00BB.");
    }
}

std::wstring registryPathOf(const std::optional<std::wstring>& registryFile) {
    return registryFile ? *registryFile : defaultRegistryPath();
}

}  // namespace

std::wstring defaultRegistryPath() {
    return programPath(mapPath(programPath(windowsDirectory()) + L"\\" + kRegistryReadName));
}

DryRun dryRun(const ListAnalysis& analysis, const std::optional<std::wstring>& registryFile) {
    DryRun run;
    run.registry = registryPathOf(registryFile);
    std::error_code error;
    run.registryFound = fs::is_regular_file(mapPath(run.registry), error);
    // The bare name goes where setup looks for it; a path is read where it points.
    const std::wstring registryName = registryFile ? *registryFile : std::wstring(kRegistryReadName);

    std::wstring path = ReadProfileValue(registryName, kDefaultProduct, L"Path");
    run.installed = !path.empty() && isExistingFolder(mapPath(path));
    if (!path.empty()) run.installDir = WithTrailingBackslash(path);
    if (!run.installed) {
        run.refusal = notInstalledMessage();
        return run;
    }

    QuietHost host(analysis.updateFolder);
    FileRuntime runtime(host);
    followJournal(runtime, run);
    for (const EntryPlan& plan : analysis.entries) {
        for (const VersionRange& range : plan.ranges) {
            RangeOutcome outcome{
                plan.line, range, ReadProfileValue(registryName, range.section, L"Version"), {}};
            try {
                outcome.refusal = versionRefusal(range, outcome.installed);
            } catch (const std::exception&) {
                outcome.refusal = failureMessage();
            }
            if (outcome.refusal && !run.refusal) run.refusal = outcome.refusal;
            run.ranges.push_back(outcome);
        }
        for (const std::wstring& required : plan.requiredFiles) {
            const std::wstring full = run.installDir + required;
            RequiredOutcome outcome{plan.line, full, FileExists(runtime, full)};
            if (!outcome.present && !run.refusal) run.refusal = missingFilesMessage();
            run.requiredFiles.push_back(outcome);
        }
    }

    planCopies(analysis, runtime, run);
    const fs::space_info space = fs::space(nearestExistingFolder(mapPath(run.installDir + L"x")), error);
    if (!error) {
        run.freeBytes = space.available;
        if (run.bytesToCopy > space.available) {
            run.failures.push_back(
                L"L'espace libre de l'installation ne suffit pas pour les fichiers \u00E0 "
                L"copier.");
        }
    }

    std::string registryContent;
    try {
        registryContent = readFileIfPresent(mapPath(run.registry)).value_or(std::string());
    } catch (const std::exception&) {
        run.failures.push_back(L"Le registre des produits ne peut pas \u00EAtre lu.");
    }
    const bool registryWritable = canWriteInDirectory(nearestExistingFolder(mapPath(run.registry)));
    for (const EntryPlan& plan : analysis.entries) {
        for (const StampWrite& stamp : plan.stamps) {
            StampOutcome outcome{plan.line, stamp.section, stamp.version, registryWritable};
            try {
                withProfileValue(registryContent, toAnsi(stamp.section), "Version", toAnsi(stamp.version));
            } catch (const std::exception&) {
                outcome.writable = false;
            }
            if (!outcome.writable) {
                run.failures.push_back(L"Ligne " + std::to_wstring(plan.line) + L" : la version de " +
                                       stamp.section + L" ne peut pas \u00EAtre inscrite dans le registre.");
            }
            run.stamps.push_back(outcome);
        }
    }
    return run;
}

int exitStatus(const ListAnalysis& analysis, const std::optional<DryRun>& run, bool strict) {
    const auto listHas = [&](Severity severity) {
        return std::any_of(analysis.findings.begin(), analysis.findings.end(), [&](const Finding& finding) {
            return severityOf(finding.rule) == severity && !isInstallationRule(finding.rule);
        });
    };
    if (listHas(Severity::Error) || (strict && listHas(Severity::Warning))) return 1;
    if (run && !run->wouldApply()) return 2;
    // The installation's trust refuses what another installation might take.
    if (analysis.has(Severity::Error)) return 2;
    return 0;
}

}  // namespace setup::check
