#include "check/dry_run.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "app/failure_exit.h"
#include "app/update_sequence.h"
#include "check/quiet_runtime.h"
#include "check/update_folder.h"
#include "platform/file_access.h"
#include "platform/file_io.h"
#include "platform/file_probe.h"
#include "platform/path_mapping.h"
#include "platform/text_codec.h"
#include "registry/path_routines.h"
#include "registry/product_registry.h"
#include "registry/profile_format.h"

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

CopyOutcome planCopy(const EntryPlan& plan, const std::wstring& updateFolder,
                     const std::wstring& installDir) {
    CopyOutcome outcome;
    outcome.line = plan.line;
    outcome.name = *plan.copied;
    std::wstring folder = updateFolder;
    const fs::path source = mapPath(WithTrailingBackslash(folder) + outcome.name);
    const fs::path destination = mapPath(installDir + outcome.name);
    std::error_code error;
    const bool sourcePresent = shippedFileState(updateFolder, outcome.name) == ShippedFile::Present;
    if (sourcePresent) outcome.bytes = fs::file_size(source, error);
    const fs::file_status status = fs::symlink_status(destination, error);
    if (!fs::exists(status)) {
        outcome.change = CopyChange::New;
        outcome.writable = canWriteInDirectory(nearestExistingFolder(destination));
        return outcome;
    }
    outcome.change =
        sourcePresent && fs::is_regular_file(destination, error) && sameBytes(source, destination)
            ? CopyChange::Identical
            : CopyChange::Replaces;
    // A folder standing where the file goes cannot be replaced by it.
    outcome.writable =
        !fs::is_directory(destination, error) && canWriteInDirectory(destination.parent_path());
    return outcome;
}

std::wstring registryPathOf(const std::optional<std::wstring>& registryFile) {
    return registryFile ? *registryFile : defaultRegistryPath();
}

}  // namespace

std::wstring defaultRegistryPath() {
    return fromUtf8(mapPath(fromUtf8(windowsDirectory().string()) + L"\\" + kRegistryReadName).string());
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

    QuietRuntime runtime(analysis.updateFolder);
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

    for (const EntryPlan& plan : analysis.entries) {
        if (!plan.copied) continue;
        const CopyOutcome outcome = planCopy(plan, analysis.updateFolder, run.installDir);
        run.bytesToCopy += outcome.bytes;
        if (!outcome.writable) {
            run.failures.push_back(L"Ligne " + std::to_wstring(plan.line) + L" : " + outcome.name +
                                   L" ne peut pas \u00EAtre \u00E9crit dans l'installation.");
        }
        run.copies.push_back(outcome);
    }
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
    if (analysis.has(Severity::Error) || (strict && analysis.has(Severity::Warning))) return 1;
    if (run && !run->wouldApply()) return 2;
    return 0;
}

}  // namespace setup::check
