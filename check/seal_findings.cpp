#include "check/seal_findings.h"

#include <map>
#include <string>
#include <vector>

#include "platform/quoting.h"
#include "seal/seal_check.h"
#include "seal/seal_format.h"

namespace setup::check {

namespace {

const std::wstring kReseal = L"Veuillez resceller la mise \u00E0 jour avec setup-check --seal.";
const std::wstring kRefused = L"setup refuserait la mise \u00E0 jour.";

std::wstring sealLineLabel(std::size_t line) { return L"setup.sum, ligne " + std::to_wstring(line); }

Finding findingFor(const SealProblem& problem, std::size_t listLine) {
    const std::wstring name = guillemets(problem.name);
    switch (problem.kind) {
        case SealProblemKind::Damaged:
            return {Rule::SealDigestDiffers, listLine,
                    name + L" ne correspond plus \u00E0 son sceau (" + sealLineLabel(problem.sealLine) +
                        L") : il a chang\u00E9 depuis le scellement, et " + kRefused,
                    L"Veuillez remettre le fichier scell\u00E9, ou, si ce fichier est le bon, resceller la "
                    L"mise \u00E0 jour avec setup-check --seal."};
        case SealProblemKind::Unreadable:
            return {Rule::SealDigestDiffers, listLine,
                    name + L" ne peut pas \u00EAtre lu jusqu'au bout : " + kRefused,
                    L"Veuillez v\u00E9rifier que ce fichier peut \u00EAtre lu, puis resceller la mise \u00E0 "
                    L"jour."};
        case SealProblemKind::NotSealed:
            return {Rule::FileNotSealed, listLine,
                    name + L" est copi\u00E9 mais le sceau setup.sum ne le nomme pas : " + kRefused, kReseal};
        case SealProblemKind::NotCopied:
            return {Rule::SealLineNotCopied, 0,
                    sealLineLabel(problem.sealLine) + L" : " + name +
                        L" est scell\u00E9 mais la liste ne le copie pas : " + kRefused,
                    L"Veuillez retirer cette ligne du sceau, ou resceller la mise \u00E0 jour avec "
                    L"setup-check --seal."};
        case SealProblemKind::SealUnreadable:
            return {Rule::SealMalformed, 0, L"Le sceau setup.sum ne peut pas \u00EAtre lu : " + kRefused,
                    kReseal};
        case SealProblemKind::SealMalformed:
        case SealProblemKind::Missing:
            break;
    }
    return {Rule::SealMalformed, 0,
            sealLineLabel(problem.sealLine) +
                L" : la ligne n'est pas au format de sha256sum (64 chiffres hexad\u00E9cimaux, deux espaces, "
                L"le nom du fichier en UTF-8) : " +
                kRefused,
            kReseal};
}

}  // namespace

void checkSeal(ListAnalysis& analysis) {
    std::vector<std::wstring> names;
    std::map<std::wstring, std::size_t> lineOf;
    for (const EntryPlan& plan : analysis.entries) {
        if (!plan.copied || plan.refusedByCopy) continue;
        names.push_back(*plan.copied);
        lineOf.emplace(sealNameKey(*plan.copied), plan.line);
    }
    for (const SealProblem& problem : sealProblems(analysis.updateFolder, names)) {
        // A missing file is already an error of the list's own.
        if (problem.kind == SealProblemKind::Missing) continue;
        const auto line = lineOf.find(sealNameKey(problem.name));
        analysis.findings.push_back(findingFor(problem, line == lineOf.end() ? 0 : line->second));
    }
}

}  // namespace setup::check
