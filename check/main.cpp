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
#include "check/signature_findings.h"
#include "check/signing_commands.h"
#include "check/text_report.h"
#include "platform/path_mapping.h"
#include "platform/program_arguments.h"
#include "platform/text_codec.h"

namespace {

constexpr int kUsageStatus = 64;

const char* const kUsage =
    "Usage : setup-check [--registry FICHIER] [--json] [--strict] DOSSIER_DE_MISE_A_JOUR\n"
    "        setup-check --seal [--strict] DOSSIER_DE_MISE_A_JOUR\n"
    "        setup-check --sign CLE.key [--next-key NOUVELLE.pub] [--strict] DOSSIER_DE_MISE_A_JOUR\n"
    "        setup-check --new-key NOM\n"
    "        setup-check --trust CLE.pub DOSSIER_D_INSTALLATION\n"
    "  --registry FICHIER  essai sur l'installation que ce registre des produits d\xC3\xA9"
    "crit\n"
    "                      (sans cette option : le registre o\xC3\xB9 setup le cherche, s'il existe)\n"
    "  --json              sortie JSON pour les scripts\n"
    "  --strict            les avertissements comptent comme des erreurs\n"
    "  --seal              \xC3\xA9"
    "crit le sceau setup.sum des fichiers que la liste copie\n"
    "                      (sans cette option : v\xC3\xA9rifie le sceau, s'il existe)\n"
    "  --sign CLE.key      scelle la mise \xC3\xA0 jour, puis la signe (setup.signed, setup.sig)\n"
    "  --next-key NOUVELLE.pub  annonce la cl\xC3\xA9 qui signera les mises \xC3\xA0 jour suivantes\n"
    "  --new-key NOM       \xC3\xA9"
    "crit une nouvelle paire de cl\xC3\xA9s NOM.key (secr\xC3\xA8te) et NOM.pub\n"
    "  --trust CLE.pub     fait conna\xC3\xAEtre la cl\xC3\xA9 \xC3\xA0 une installation (.setup-trust)\n"
    "Statut : 0 la mise \xC3\xA0 jour s'appliquerait, 1 la liste a des erreurs, 2 l'installation la "
    "refuserait.\n"
    "Avec --seal ou --sign : 0 le sceau (et la signature) est \xC3\xA9"
    "crit, 1 la liste a des erreurs et rien n'est \xC3\xA9"
    "crit.\n";

struct Options {
    std::optional<std::wstring> registry;
    bool json = false;
    bool strict = false;
    bool seal = false;
    std::optional<std::wstring> signKey;
    std::optional<std::wstring> nextKey;
    std::optional<std::wstring> newKey;
    std::optional<std::wstring> trustKey;
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
        } else if (arg == L"--sign" && i + 1 < arguments.size()) {
            options.signKey = arguments[++i];
        } else if (arg == L"--next-key" && i + 1 < arguments.size()) {
            options.nextKey = arguments[++i];
        } else if (arg == L"--new-key" && i + 1 < arguments.size()) {
            options.newKey = arguments[++i];
        } else if (arg == L"--trust" && i + 1 < arguments.size()) {
            options.trustKey = arguments[++i];
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
    // A new key is made from nothing; a seal, a signature and a trust are written, not tried on an
    // installation, and reported as text.
    const bool writes = options.seal || options.signKey || options.trustKey;
    if (options.newKey)
        return folderGiven || writes || options.json || options.registry ? std::nullopt
                                                                         : std::optional(options);
    if (!folderGiven) return std::nullopt;
    if (writes && (options.json || options.registry)) return std::nullopt;
    if ((options.seal ? 1 : 0) + (options.signKey ? 1 : 0) + (options.trustKey ? 1 : 0) > 1)
        return std::nullopt;
    if (options.nextKey && !options.signKey) return std::nullopt;
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
        std::optional<SealOutcome> written;
        if (options->newKey) written = writeNewKey(*options->newKey);
        if (options->trustKey) written = trustKey(*options->trustKey, absolute(options->folder));
        if (written) {
            std::cout << setup::toUtf8(written->report);
            std::cout.flush();
            return written->status;
        }
        ListAnalysis analysis = analyseList(absolute(options->folder));
        if (options->seal || options->signKey) {
            const SealOutcome outcome =
                options->seal ? sealUpdate(analysis, options->strict)
                              : signUpdate(analysis, *options->signKey, options->nextKey, options->strict);
            std::cout << setup::toUtf8(outcome.report);
            std::cout.flush();
            return outcome.status;
        }
        std::optional<DryRun> run;
        std::optional<std::wstring> registry;
        if (options->registry) registry = absolute(*options->registry);
        // Without --registry the run is tried on this machine's installation, when it has one.
        if (registry || defaultRegistryExists()) run = dryRun(analysis, registry);
        if (run && run->installed) checkSignatureTrust(analysis, run->installDir);
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
