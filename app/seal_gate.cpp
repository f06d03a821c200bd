#include "app/seal_gate.h"

#include <string>
#include <vector>

#include "app/update_start.h"
#include "platform/runtime.h"
#include "run/run_state.h"
#include "run/session.h"
#include "run/update_list.h"

namespace setup {

namespace {

const std::wstring kFetchAgain =
    L" La mise \u00E0 jour n'a pas \u00E9t\u00E9 faite ; veuillez la t\u00E9l\u00E9charger \u00E0 nouveau.";

std::wstring quoted(const std::wstring& name) { return L"\u00AB " + name + L" \u00BB"; }

/// The names the copy copies, as it uses them, in the list's order.
std::vector<std::wstring> copiedNames(Runtime& runtime, RunState& state) {
    std::vector<std::wstring> names;
    openUpdateList(runtime, state);
    while (!runtime.atEndOfFile(state.ListFileNumber)) {
        readUpdateListEntry(runtime, state);
        if (classifyEntry(state.CurrentLine) == EntryKind::File)
            names.push_back(trimSpaces(state.CurrentLine));
    }
    runtime.close(state.ListFileNumber);
    return names;
}

std::wstring problemText(const SealProblem& problem) {
    const std::wstring file = L"Le fichier " + quoted(problem.name) + L" de la mise \u00E0 jour";
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

BoxMessage sealProblemMessage(const SealProblem& problem) {
    return {problemText(problem) + kFetchAgain, L"Erreur: Mise \u00E0 jour non termin\u00E9e",
            box::kCritical};
}

void stopOnDamagedUpdate(Session& session) {
    Runtime& runtime = session.runtime;
    const std::optional<SealProblem> problem =
        firstSealProblem(runtime.host().programDirectory(), copiedNames(runtime, session.state));
    // The update may be fetched again over this folder, or its author may look at it.
    if (problem) stopKeepingUpdate(session, sealProblemMessage(*problem));
}

}  // namespace setup
