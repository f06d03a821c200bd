#include "check/plan_refusal_text.h"

#include "platform/quoting.h"
#include "run/messages.h"

namespace setup::check {

namespace {

const std::wstring kWholeUpdate = L" : setup refuserait toute la mise \u00E0 jour";

}  // namespace

std::wstring refusalConsequence(const PlanRefusal& refusal, NodeKind found) {
    std::wstring consequence = refusalReasonText(refusal, found) + kWholeUpdate;
    if (refusal.reason == RefusalReason::UpdateInsideInstallation)
        consequence += L" et garderait le dossier de mise \u00E0 jour, avec le message " +
                       guillemets(updateInsideInstallationMessage().text);
    return consequence;
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
