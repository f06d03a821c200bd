// setup-check: what an update will do, read by the program's own core, before it is shipped.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "check/dry_run.h"
#include "check/json_report.h"
#include "check/list_analysis.h"
#include "check/seal_command.h"
#include "check/text_report.h"
#include "platform/path_mapping.h"
#include "platform/program_arguments.h"
#include "platform/text_codec.h"

namespace {

constexpr int kUsageStatus = 64;

const char* const kUsage =
    "Usage : setup-check [--registry FICHIER] [--json] [--strict] DOSSIER_DE_MISE_A_JOUR\n"
    "        setup-check --seal [--strict] DOSSIER_DE_MISE_A_JOUR\n"
    "  --registry FICHIER  essai sur l'installation que ce registre des produits d\xC3\xA9"
    "crit\n"
    "                      (sans cette option : le registre o\xC3\xB9 setup le cherche, s'il existe)\n"
    "  --json              sortie JSON pour les scripts\n"
    "  --strict            les avertissements comptent comme des erreurs\n"
    "  --seal              \xC3\xA9"
    "crit le sceau setup.sum des fichiers que la liste copie\n"
    "                      (sans cette option : v\xC3\xA9rifie le sceau, s'il existe)\n"
    "Statut : 0 la mise \xC3\xA0 jour s'appliquerait, 1 la liste a des erreurs, 2 l'installation la "
    "refuserait.\n"
    "Avec --seal : 0 le sceau est \xC3\xA9"
    "crit, 1 la liste a des erreurs et rien n'est \xC3\xA9"
    "crit.\n";

struct Options {
    std::optional<std::wstring> registry;
    bool json = false;
    bool strict = false;
    bool seal = false;
    std::wstring folder;
};

std::optional<Options> parse(const std::vector<std::wstring>& arguments) {
    Options options;
    bool folderGiven = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::wstring_view arg = arguments[i];
        if (arg == L"--json") {
            options.json = true;
        } else if (arg == L"--strict") {
            options.strict = true;
        } else if (arg == L"--seal") {
            options.seal = true;
        } else if (arg == L"--registry" && i + 1 < arguments.size()) {
            options.registry = arguments[++i];
        } else if (arg.starts_with(L"--registry=")) {
            options.registry = std::wstring(arg.substr(11));
        } else if (!arg.starts_with(L"-") && !folderGiven) {
            options.folder = std::wstring(arg);
            folderGiven = true;
        } else {
            return std::nullopt;
        }
    }
    if (!folderGiven) return std::nullopt;
    // A seal is written for the update itself, not tried on an installation, and reported as text.
    if (options.seal && (options.json || options.registry)) return std::nullopt;
    return options;
}

/// A path given on the command line, made absolute so that the profile layer never takes it for a bare
/// name to look up in the Windows directory.
std::wstring absolute(const std::wstring& path) {
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(setup::mapPath(path), error);
    return error ? path : setup::programPath(full);
}

/// True when this machine has a product registry where setup looks for it.
bool defaultRegistryExists() {
    try {
        std::error_code error;
        return std::filesystem::is_regular_file(setup::mapPath(setup::check::defaultRegistryPath()), error);
    } catch (const std::exception&) {
        // No Windows directory can be found: there is no registry to try.
        return false;
    }
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const std::optional<Options> options = parse(setup::programArguments(argc, argv));
        if (!options) {
            std::fputs(kUsage, stderr);
            return kUsageStatus;
        }
        using namespace setup::check;
        const ListAnalysis analysis = analyseList(absolute(options->folder));
        if (options->seal) {
            const SealOutcome outcome = sealUpdate(analysis, options->strict);
            std::cout << setup::toUtf8(outcome.report);
            std::cout.flush();
            return outcome.status;
        }
        std::optional<DryRun> run;
        std::optional<std::wstring> registry;
        if (options->registry) registry = absolute(*options->registry);
        // Without --registry the run is tried on this machine's installation, when it has one.
        if (registry || defaultRegistryExists()) run = dryRun(analysis, registry);
        const int status = exitStatus(analysis, run, options->strict);
        if (options->json)
            std::cout << jsonReport(analysis, run, status);
        else
            std::cout << setup::toUtf8(textReport(analysis, run, status));
        std::cout.flush();
        return status;
    } catch (const std::exception& failure) {
        std::cerr << "setup-check : " << failure.what() << "\n";
        return 3;
    }
}
