#include "check/signature_findings.h"

#include <exception>
#include <optional>
#include <vector>

#include "check/quiet_host.h"
#include "platform/file_runtime.h"
#include "platform/file_services.h"
#include "platform/path_text.h"
#include "platform/quoting.h"
#include "signature/signature_check.h"
#include "staging/update_plan.h"

namespace setup::check {

namespace {

const std::wstring kResign = L"Veuillez signer de nouveau la mise \u00E0 jour avec setup-check --sign.";

SignatureInput inputFor(const ListAnalysis& analysis, std::optional<TrustRecord> trust) {
    SignatureInput input{analysis.updateFolder, analysis.listPath, {}, {}, std::move(trust)};
    for (const EntryPlan& plan : analysis.entries) {
        if (plan.copied) input.copiedNames.push_back(*plan.copied);
        for (const StampWrite& stamp : plan.stamps) input.versions.push_back({stamp.section, stamp.version});
    }
    return input;
}

std::optional<SignatureProblem> firstProblem(const ListAnalysis& analysis, std::optional<TrustRecord> trust) {
    QuietHost host(analysis.updateFolder);
    FileRuntime runtime(host);
    return checkSignature(runtime.files(), inputFor(analysis, std::move(trust))).problem;
}

Finding findingFor(const SignatureProblem& problem) {
    switch (problem.kind) {
        case SignatureProblemKind::Missing:
            return {Rule::SignatureMissing, 0,
                    L"L'installation fait confiance \u00E0 une cl\u00E9 et la mise \u00E0 jour n'est pas "
                    L"sign\u00E9e : setup la refuserait.",
                    L"Veuillez signer la mise \u00E0 jour avec setup-check --sign CLE.key."};
        case SignatureProblemKind::KeyNotTrusted:
            return {
                Rule::KeyNotTrusted, 0,
                L"La mise \u00E0 jour est sign\u00E9e par une cl\u00E9 que l'installation ne conna\u00EEt "
                L"pas : setup la refuserait.",
                L"Veuillez la signer avec la cl\u00E9 de l'installation, ou annoncer la nouvelle cl\u00E9 "
                L"dans une mise \u00E0 jour sign\u00E9e par l'ancienne (setup-check --sign ANCIENNE.key "
                L"--next-key NOUVELLE.pub)."};
        case SignatureProblemKind::OlderThanInstalled:
            return {Rule::OlderThanInstalled, 0,
                    L"La mise \u00E0 jour inscrirait la version " + problem.version + L" de la section " +
                        guillemets(problem.name) + L", plus ancienne que la version " + problem.installed +
                        L" d\u00E9j\u00E0 install\u00E9e : setup la refuserait.",
                    L"Veuillez inscrire une version au moins \u00E9gale \u00E0 " + problem.installed +
                        L", puis signer de nouveau la mise \u00E0 jour."};
        case SignatureProblemKind::ContentDiffers:
            return {
                Rule::SignatureInvalid, 0,
                guillemets(problem.name) +
                    L" n'est pas celui que la signature nomme : la mise \u00E0 jour a chang\u00E9 depuis "
                    L"sa signature, et setup la refuserait.",
                L"Veuillez remettre la mise \u00E0 jour sign\u00E9e, ou, si ce contenu est le bon, la signer "
                L"de nouveau avec setup-check --sign."};
        case SignatureProblemKind::Invalid:
            break;
    }
    return {Rule::SignatureInvalid, 0,
            L"La signature (" + problem.name +
                L") ne peut pas \u00EAtre v\u00E9rifi\u00E9e : elle est endommag\u00E9e ou ne correspond pas "
                L"\u00E0 ce qu'elle signe, et setup refuserait la mise \u00E0 jour.",
            kResign};
}

}  // namespace

void checkSignature(ListAnalysis& analysis) {
    if (const std::optional<SignatureProblem> problem = firstProblem(analysis, std::nullopt))
        analysis.findings.push_back(findingFor(*problem));
}

void checkSignatureTrust(ListAnalysis& analysis, const std::wstring& installDir) {
    QuietHost host(installDir);
    FileRuntime runtime(host);
    std::optional<std::string> text;
    bool readable = true;
    try {
        text = runtime.files().readFile(joinPath(installDir, kTrustName), kTrustLimit);
    } catch (const std::exception&) {
        readable = false;
    }
    if (readable && !text) {
        // An installation that trusts no key yet takes an unsigned update, and the first signed one's key.
        return;
    }
    std::optional<TrustRecord> trust;
    if (text) trust = parseTrust(*text);
    if (!trust) {
        analysis.findings.push_back(
            {Rule::KeyNotTrusted, 0,
             L"Le fichier de confiance " + guillemets(joinPath(installDir, kTrustName)) +
                 L" de l'installation ne peut pas \u00EAtre lu : setup refuserait toute mise \u00E0 jour.",
             L"Veuillez le r\u00E9tablir avec setup-check --trust CLE.pub DOSSIER_D_INSTALLATION."});
        return;
    }
    const std::optional<SignatureProblem> problem = firstProblem(analysis, std::move(trust));
    // The update's own faults are told once, by checkSignature.
    if (problem && (problem->kind == SignatureProblemKind::Missing ||
                    problem->kind == SignatureProblemKind::KeyNotTrusted ||
                    problem->kind == SignatureProblemKind::OlderThanInstalled))
        analysis.findings.push_back(findingFor(*problem));
}

}  // namespace setup::check
