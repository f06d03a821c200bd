#include "run/messages.h"

#include "platform/host.h"
#include "platform/quoting.h"

namespace setup {

namespace {

const std::wstring kFetchAgain =
    L" La mise \u00E0 jour n'a pas \u00E9t\u00E9 faite ; veuillez la t\u00E9l\u00E9charger \u00E0 nouveau.";

std::wstring problemText(const SealProblem& problem) {
    const std::wstring file = L"Le fichier " + guillemets(problem.name) + L" de la mise \u00E0 jour";
    switch (problem.kind) {
        case SealProblemKind::Damaged:
            return file + L" est endommag\u00E9 ou incomplet.";
        case SealProblemKind::Missing:
            return file + L" est manquant.";
        case SealProblemKind::Unreadable:
            return file + L" ne peut pas \u00EAtre lu.";
        case SealProblemKind::NotSealed:
            return file +
                   L" n'est pas nomm\u00E9 par son sceau setup.sum : la mise \u00E0 jour est "
                   L"endommag\u00E9e.";
        case SealProblemKind::NotCopied:
            return file +
                   L" est nomm\u00E9 par son sceau setup.sum, mais la liste setup.lst ne le copie "
                   L"pas : la liste est endommag\u00E9e.";
        case SealProblemKind::SealUnreadable:
            return L"Le sceau de la mise \u00E0 jour (setup.sum) ne peut pas \u00EAtre lu.";
        case SealProblemKind::SealMalformed:
            return L"Le sceau de la mise \u00E0 jour (setup.sum) est endommag\u00E9 : sa ligne " +
                   std::to_wstring(problem.sealLine) + L" n'est pas au bon format.";
    }
    return L"La mise \u00E0 jour est endommag\u00E9e.";
}

}  // namespace

BoxMessage warningMessage(const std::wstring& entry) {
    return {L"Attention : " + entry.substr(1), L"Mise en Garde", box::kExclamation};
}

BoxMessage notInstalledMessage() {
    return {
        L"Le logiciel Kelvane ne semble pas install\u00E9 sur cette machine. Veuillez r\u00E9installer "
        L"Kelvane de fa\u00E7on compl\u00E8te avant de relancer cette installation",
        L"Erreur: Kelvane non install\u00E9", box::kCritical};
}

BoxMessage installationLockedMessage() {
    return {
        L"Une autre mise \u00E0 jour de Kelvane est en cours sur cette machine. Veuillez attendre "
        L"qu'elle se termine, puis relancer celle-ci.",
        L"Mise \u00E0 jour de Kelvane en cours", box::kExclamation};
}

BoxMessage foreignLockFileMessage() {
    return {
        L"Le fichier de verrou .setup-lock de l'installation de Kelvane n'est pas un fichier ordinaire du "
        L"programme : la mise \u00E0 jour n'a pas \u00E9t\u00E9 lanc\u00E9e et rien n'a \u00E9t\u00E9 "
        L"modifi\u00E9. Veuillez retirer ce fichier de l'installation, puis relancer la mise \u00E0 jour.",
        L"Erreur: Mise \u00E0 jour non termin\u00E9e", box::kCritical};
}

BoxMessage rejectedJournalMessage(const std::wstring& path, const std::wstring& reason) {
    return {
        L"L'installation de Kelvane contient le journal d'une mise \u00E0 jour pr\u00E9c\u00E9dente que "
        L"le programme ne peut pas reprendre : " +
            path + L" (" + reason +
            L"). Rien n'a \u00E9t\u00E9 "
            L"modifi\u00E9. Veuillez examiner ce fichier et les fichiers qu'il nomme, puis le retirer de "
            L"l'installation avant de relancer la mise \u00E0 jour.",
        L"Erreur: Mise \u00E0 jour non termin\u00E9e", box::kCritical};
}

BoxMessage updateInsideInstallationMessage() {
    return {
        L"Cette mise \u00E0 jour se trouve dans le dossier d'installation de Kelvane, ou le contient : "
        L"elle n'a pas \u00E9t\u00E9 appliqu\u00E9e et rien n'a \u00E9t\u00E9 modifi\u00E9. Veuillez "
        L"copier la mise \u00E0 jour dans un dossier \u00E0 part, puis la relancer depuis ce dossier.",
        L"Erreur: Mise \u00E0 jour non termin\u00E9e", box::kCritical};
}

BoxMessage missingFilesMessage() {
    return {
        L"Les fichiers \u00E0 mettre \u00E0 jour ne semblent pas correctement install\u00E9s. Veuillez "
        L"r\u00E9installer Kelvane avant de relancer la mise \u00E0 jour.",
        L"Erreur: Fichiers \u00E0 mettre \u00E0 jour non install\u00E9s", box::kCritical};
}

BoxMessage unsignedUpdateMessage() {
    return {
        L"Cette mise \u00E0 jour n'est pas sign\u00E9e par l'\u00E9diteur de Kelvane ; elle n'a pas "
        L"\u00E9t\u00E9 install\u00E9e. Veuillez vous procurer la mise \u00E0 jour aupr\u00E8s de "
        L"l'\u00E9diteur.",
        L"Erreur: Mise \u00E0 jour non termin\u00E9e", box::kCritical};
}

BoxMessage signatureMismatchMessage() {
    return {
        L"La signature de cette mise \u00E0 jour ne correspond pas \u00E0 son contenu : la mise "
        L"\u00E0 jour a \u00E9t\u00E9 modifi\u00E9e apr\u00E8s sa signature et n'a pas \u00E9t\u00E9 "
        L"install\u00E9e. Veuillez vous la procurer \u00E0 nouveau aupr\u00E8s de l'\u00E9diteur.",
        L"Erreur: Mise \u00E0 jour non termin\u00E9e", box::kCritical};
}

BoxMessage unknownKeyMessage() {
    return {
        L"Cette mise \u00E0 jour est sign\u00E9e par une cl\u00E9 que cette installation de Kelvane "
        L"ne conna\u00EEt pas ; elle n'a pas \u00E9t\u00E9 install\u00E9e.",
        L"Erreur: Mise \u00E0 jour non termin\u00E9e", box::kCritical};
}

BoxMessage olderVersionMessage(const std::wstring& version, const std::wstring& installed) {
    return {L"Cette mise \u00E0 jour installerait la version " + version +
                L" de Kelvane, plus ancienne que la version " + installed +
                L" d\u00E9j\u00E0 install\u00E9e ; elle n'a pas \u00E9t\u00E9 install\u00E9e.",
            L"Mise \u00E0 jour refus\u00E9e", box::kCritical};
}

BoxMessage damagedTrustMessage() {
    return {
        L"Le fichier de confiance de cette installation de Kelvane (.setup-trust) est illisible ou "
        L"endommag\u00E9 ; la mise \u00E0 jour n'a pas \u00E9t\u00E9 "
        L"install\u00E9e et rien n'a \u00E9t\u00E9 modifi\u00E9. Veuillez le faire r\u00E9tablir "
        L"par l'administrateur (setup-check --trust).",
        L"Erreur: Mise \u00E0 jour non termin\u00E9e", box::kCritical};
}

BoxMessage sealProblemMessage(const SealProblem& problem) {
    return {problemText(problem) + kFetchAgain, L"Erreur: Mise \u00E0 jour non termin\u00E9e",
            box::kCritical};
}

std::wstring refusalReasonText(const PlanRefusal& refusal, std::optional<NodeKind> found) {
    const std::wstring name = guillemets(refusal.entry);
    switch (refusal.reason) {
        case RefusalReason::OutsideUpdateFolder:
            return name + L" m\u00E8ne hors du dossier de mise \u00E0 jour";
        case RefusalReason::OutsideInstallation:
            return name + L" m\u00E8ne hors de l'installation, par son chemin ou par un lien";
        case RefusalReason::InstallationItself:
            return name + L" d\u00E9signe le dossier d'installation lui-m\u00EAme";
        case RefusalReason::NotAFile:
            if (found == NodeKind::Folder) return L"un dossier occupe la place du fichier " + name;
            if (found == NodeKind::Other)
                return L"un lien ou un fichier sp\u00E9cial occupe la place du fichier " + name;
            if (found) {
                return L"le chemin du fichier " + name +
                       L" passe par un fichier, un lien ou un fichier sp\u00E9cial au lieu d'un dossier";
            }
            return L"un dossier, un lien ou un fichier sp\u00E9cial occupe la place du fichier " + name +
                   L" ou d'un dossier de son chemin";
        case RefusalReason::OwnFileName:
            return name +
                   L" porte un nom que setup r\u00E9serve \u00E0 ses propres fichiers (.setup-\u2026, "
                   L"\u2026.setup-new, \u2026.setup-old)";
        case RefusalReason::ControlCharacter:
            if (refusal.entry.starts_with(L"#"))
                return L"la version " + guillemets(refusal.entry.substr(1)) +
                       L" contient une tabulation ou un saut de ligne";
            return name + L" contient une tabulation ou un saut de ligne";
        case RefusalReason::NameTooLong:
            return L"le nom de " + name +
                   L" est trop long pour la copie provisoire que setup place \u00E0 c\u00F4t\u00E9 (" +
                   std::wstring(kStagedSuffix) + L")";
        case RefusalReason::UpdateInsideInstallation:
            break;
    }
    return L"le dossier de mise \u00E0 jour et l'installation se contiennent l'un l'autre";
}

BoxMessage heldFilesMessage(const std::vector<FileHolder>& holders, const std::vector<std::wstring>& held) {
    std::wstring lines;
    for (const FileHolder& holder : holders)
        lines += holder.program + L" (processus " + std::to_wstring(holder.processId) + L")\n";
    if (holders.empty()) {
        for (const std::wstring& file : held)
            lines += guillemets(file) + L" est utilis\u00E9 par un autre programme.\n";
    }
    return {
        L"Kelvane ne peut pas \u00EAtre mis \u00E0 jour tant que ces programmes utilisent ses fichiers :\n" +
            lines + L"\nFermez-les, puis cliquez sur R\u00E9essayer.",
        L"Fichiers en cours d'utilisation", box::kRetryCancel};
}

BoxMessage failureMessage() {
    return {
        L"La mise \u00E0 jour du logiciel Kelvane ne semble pas s'\u00EAtre d\u00E9roul\u00E9e normalement. "
        L"Veuillez recommencer",
        L"Erreur: Mise \u00E0 jour non termin\u00E9e", box::kCritical};
}

}  // namespace setup
