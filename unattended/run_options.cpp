#include "unattended/run_options.h"

#include <algorithm>
#include <cwctype>

#include "platform/quoting.h"

namespace setup {

namespace {

/// The option's name without its "/", "-" or "--" and in lower case; empty for a word that is no option.
std::wstring optionName(const std::wstring& argument) {
    std::size_t start = 0;
    if (argument.starts_with(L"--"))
        start = 2;
    else if (argument.starts_with(L"/") || argument.starts_with(L"-"))
        start = 1;
    else
        return {};
    std::wstring name = argument.substr(start);
    std::transform(name.begin(), name.end(), name.begin(), [](wchar_t c) { return std::towlower(c); });
    return name;
}

ParsedOptions invalid(const std::wstring& error) { return {std::nullopt, error}; }

/// The value of "name:VALUE" or "name=VALUE" as the argument spells it; nullopt for another option.
std::optional<std::wstring> valueOf(const std::wstring& argument, const std::wstring& lowerName,
                                    const std::wstring& option) {
    if (!lowerName.starts_with(option + L":") && !lowerName.starts_with(option + L"=")) return std::nullopt;
    return argument.substr(argument.size() - lowerName.size() + option.size() + 1);
}

/// Whole seconds from 0 to the longest wait, in plain digits.
std::optional<int> secondsOf(const std::wstring& text) {
    if (text.empty() || text.size() > 4) return std::nullopt;
    int seconds = 0;
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9') return std::nullopt;
        seconds = seconds * 10 + (c - L'0');
    }
    if (seconds > kLongestHeldFilesWait) return std::nullopt;
    return seconds;
}

}  // namespace

ParsedOptions parseRunOptions(const std::vector<std::wstring>& arguments, bool msiExitCodes) {
    RunOptions options;
    std::optional<RunMode> mode;
    bool waitGiven = false;
    bool exitCodesGiven = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::wstring& argument = arguments[i];
        const std::wstring name = optionName(argument);
        std::optional<RunMode> asked;
        if (const std::optional<std::wstring> wait = valueOf(argument, name, L"wait")) {
            const std::optional<int> seconds = secondsOf(*wait);
            if (waitGiven) return invalid(L"l'attente est demand\u00E9e deux fois.");
            if (!seconds)
                return invalid(L"l'option " + guillemets(argument) +
                               L" demande un nombre entier de secondes, de 0 \u00E0 3600.");
            options.heldFilesWait = *seconds;
            waitGiven = true;
        } else if (const std::optional<std::wstring> codes = valueOf(argument, name, L"exitcodes")) {
            if (exitCodesGiven) return invalid(L"les codes de sortie sont demand\u00E9s deux fois.");
            if (name.substr(name.size() - codes->size()) != L"msi")
                return invalid(L"l'option " + guillemets(argument) + L" ne conna\u00EEt que la valeur msi.");
            if (!msiExitCodes)
                return invalid(
                    L"l'option " + guillemets(argument) +
                    L" n'existe que pour le programme Windows : un code de sortie ne va ici que de 0 "
                    L"\u00E0 255.");
            options.exitCodes = ExitCodes::Msi;
            exitCodesGiven = true;
        } else if (name == L"quiet") {
            asked = RunMode::Quiet;
        } else if (name == L"passive") {
            asked = RunMode::Passive;
        } else if (name == L"?" || name == L"help") {
            options.help = true;
        } else if (name == L"log" || name.starts_with(L"log:") || name.starts_with(L"log=")) {
            if (options.logPath) return invalid(L"le journal est demand\u00E9 deux fois.");
            std::wstring path;
            if (name == L"log") {
                if (i + 1 == arguments.size())
                    return invalid(L"l'option " + guillemets(argument) + L" demande le nom d'un fichier.");
                path = arguments[++i];
            } else {
                // The file's name keeps its own letters: it is cut from the argument, not from its lower
                // case.
                path = argument.substr(argument.size() - name.size() + 4);
            }
            if (path.empty())
                return invalid(L"l'option " + guillemets(argument) + L" demande le nom d'un fichier.");
            options.logPath = path;
        } else {
            return invalid(L"option inconnue " + guillemets(argument) + L".");
        }
        if (asked) {
            if (mode && *mode != *asked)
                return invalid(
                    L"les options /quiet et /passive ne peuvent pas \u00EAtre donn\u00E9es ensemble.");
            mode = asked;
        }
    }
    options.mode = mode.value_or(RunMode::Interactive);
    return {options, {}};
}

int exitCodeFor(ExitCodes codes, int status, bool installationBusy) {
    if (codes == ExitCodes::Plain) return status;
    switch (status) {
        case 0:
            return 0;
        case 1:
            return 1602;
        case 3:
            return installationBusy ? 1618 : 1603;
        default:
            return 1603;
    }
}

std::wstring usageText(bool msiExitCodes) {
    std::wstring usage =
        L"Usage : setup [/quiet | /passive] [/log FICHIER] [/wait:SECONDES]" +
        std::wstring(msiExitCodes ? L" [/exitcodes:msi]" : L"") +
        L"\n"
        L"Applique la mise \u00E0 jour de Kelvane d\u00E9crite par le fichier setup.lst plac\u00E9 \u00E0 "
        L"c\u00F4t\u00E9 du programme.\n"
        L"\n"
        L"  /quiet    (--quiet)       sans fen\u00EAtre ni question : les avertissements sont lus, la mise "
        L"\u00E0 jour est confirm\u00E9e d'office ;\n"
        L"                            les refus et les \u00E9checs sont \u00E9crits sur la sortie d'erreur.\n"
        L"  /passive  (--passive)     la progression est affich\u00E9e, rien n'est demand\u00E9 ; la "
        L"fen\u00EAtre se ferme seule \u00E0 la fin.\n"
        L"  /log FICHIER, /log:FICHIER  (--log FICHIER, --log=FICHIER)\n"
        L"                            ajoute le d\u00E9roulement de la mise \u00E0 jour au journal FICHIER "
        L"(UTF-8).\n"
        L"  /wait:SECONDES  (--wait=SECONDES)\n"
        L"                            attente, de 0 \u00E0 3600 secondes (60 sans l'option), que les "
        L"fichiers utilis\u00E9s par un autre\n"
        L"                            programme soient lib\u00E9r\u00E9s ; ensuite la mise \u00E0 jour "
        L"\u00E9choue (code 3).\n";
    if (msiExitCodes) {
        usage +=
            L"  /exitcodes:msi  (--exitcodes=msi)\n"
            L"                            codes de sortie de Windows Installer : 0, 1602, 1603, 1618.\n";
    }
    usage +=
        L"  /?        (--help)        affiche cette aide.\n"
        L"Les options s'\u00E9crivent aussi avec \u00AB - \u00BB au lieu de \u00AB / \u00BB, en majuscules "
        L"ou en minuscules.\n"
        L"\n"
        L"Codes de sortie :\n"
        L"  0   la mise \u00E0 jour a \u00E9t\u00E9 appliqu\u00E9e\n"
        L"  1   la mise \u00E0 jour a \u00E9t\u00E9 d\u00E9clin\u00E9e ou annul\u00E9e (rien n'a "
        L"chang\u00E9)\n"
        L"  2   une v\u00E9rification a refus\u00E9 la mise \u00E0 jour : Kelvane absent, version hors "
        L"plage, fichier requis manquant (rien n'a chang\u00E9)\n"
        L"  3   \u00E9chec : l'installation est telle qu'avant la mise \u00E0 jour\n"
        L"  64  ligne de commande incorrecte (rien n'a \u00E9t\u00E9 fait)\n";
    if (msiExitCodes) {
        usage +=
            L"Avec /exitcodes:msi : 0 appliqu\u00E9e ; 1602 d\u00E9clin\u00E9e ou annul\u00E9e ; 1618 une "
            L"autre mise \u00E0 jour tient l'installation ;\n"
            L"1603 refus d'une v\u00E9rification et tout \u00E9chec.\n";
    }
    return usage;
}

}  // namespace setup
