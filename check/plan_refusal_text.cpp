#include "check/plan_refusal_text.h"

#include "run/messages.h"

namespace setup::check {

namespace {

std::wstring guillemets(const std::wstring& text) { return L"\u00AB " + text + L" \u00BB"; }

const std::wstring kWholeUpdate = L" : setup refuserait toute la mise \u00E0 jour";

}  // namespace

std::wstring refusalConsequence(const PlanRefusal& refusal, NodeKind found) {
    const std::wstring name = guillemets(refusal.entry);
    switch (refusal.reason) {
        case RefusalReason::OutsideUpdateFolder:
            return name + L" m\u00E8ne hors du dossier de mise \u00E0 jour" + kWholeUpdate;
        case RefusalReason::OutsideInstallation:
            return name + L" m\u00E8ne hors de l'installation, par son chemin ou par un lien" + kWholeUpdate;
        case RefusalReason::InstallationItself:
            return name + L" d\u00E9signe le dossier d'installation lui-m\u00EAme" + kWholeUpdate;
        case RefusalReason::NotAFile:
            if (found == NodeKind::Folder)
                return L"un dossier occupe la place du fichier " + name + kWholeUpdate;
            if (found == NodeKind::Other)
                return L"un lien ou un fichier sp\u00E9cial occupe la place du fichier " + name +
                       kWholeUpdate;
            return L"le chemin du fichier " + name +
                   L" passe par un fichier, un lien ou un fichier sp\u00E9cial au lieu d'un dossier" +
                   kWholeUpdate;
        case RefusalReason::OwnFileName:
            return name +
                   L" porte un nom que setup r\u00E9serve \u00E0 ses propres fichiers (.setup-\u2026, "
                   L"\u2026.setup-new, \u2026.setup-old)" +
                   kWholeUpdate;
        case RefusalReason::ControlCharacter:
            if (refusal.entry.starts_with(L"#"))
                return L"la version " + guillemets(refusal.entry.substr(1)) +
                       L" contient une tabulation ou un saut de ligne" + kWholeUpdate;
            return name + L" contient une tabulation ou un saut de ligne" + kWholeUpdate;
        case RefusalReason::NameTooLong:
            return L"le nom de " + name +
                   L" est trop long pour la copie provisoire que setup place \u00E0 c\u00F4t\u00E9 (" +
                   std::wstring(kStagedSuffix) + L")" + kWholeUpdate;
        case RefusalReason::UpdateInsideInstallation:
            break;
    }
    return L"le dossier de mise \u00E0 jour et l'installation se contiennent l'un l'autre" + kWholeUpdate +
           L" et garderait le dossier de mise \u00E0 jour, avec le message " +
           guillemets(updateInsideInstallationMessage().text);
}

std::wstring refusalFix(const PlanRefusal& refusal) {
    switch (refusal.reason) {
        case RefusalReason::OutsideUpdateFolder:
            return L"Veuillez nommer le fichier par son chemin sous le dossier de mise \u00E0 jour, sans "
                   L"lecteur, "
                   L"sans \u00AB .. \u00BB et sans lien symbolique qui en sorte.";
        case RefusalReason::InstallationItself:
            return L"Veuillez nommer un fichier sous le dossier de mise \u00E0 jour, ou retirer cette "
                   L"entr\u00E9e.";
        case RefusalReason::OwnFileName:
            return L"Veuillez renommer le fichier, ou le dossier de son chemin qui porte un tel nom.";
        case RefusalReason::ControlCharacter:
            if (refusal.entry.starts_with(L"#"))
                return L"Veuillez \u00E9crire la version et le nom du produit sans tabulation ni saut de "
                       L"ligne.";
            return L"Veuillez retirer la tabulation ou le saut de ligne du nom du fichier.";
        case RefusalReason::NameTooLong:
            return L"Veuillez raccourcir le nom du fichier : setup doit pouvoir lui ajouter \u00AB " +
                   std::wstring(kStagedSuffix) + L" \u00BB.";
        case RefusalReason::NotAFile:
        case RefusalReason::OutsideInstallation:
        case RefusalReason::UpdateInsideInstallation:
            break;
    }
    return {};
}

std::string_view refusalId(RefusalReason reason) {
    switch (reason) {
        case RefusalReason::OutsideUpdateFolder:
            return "outside-update-folder";
        case RefusalReason::OutsideInstallation:
            return "outside-installation";
        case RefusalReason::InstallationItself:
            return "installation-itself";
        case RefusalReason::NotAFile:
            return "not-a-file";
        case RefusalReason::OwnFileName:
            return "own-file-name";
        case RefusalReason::ControlCharacter:
            return "control-character";
        case RefusalReason::NameTooLong:
            return "name-too-long";
        case RefusalReason::UpdateInsideInstallation:
            break;
    }
    return "update-inside-installation";
}

}  // namespace setup::check
