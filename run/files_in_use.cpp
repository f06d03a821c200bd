#include "run/files_in_use.h"

#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "platform/failure.h"
#include "platform/file_holders.h"
#include "platform/path_text.h"
#include "platform/runtime.h"
#include "platform/text_codec.h"
#include "run/cleanup.h"
#include "run/messages.h"
#include "run/run_state.h"
#include "run/session.h"
#include "staging/staged_update.h"

namespace setup {

namespace {

/// The installed files the commit moves aside, as the plan found them.
std::vector<std::wstring> replacedFiles(const UpdatePlan& plan) {
    std::vector<std::wstring> paths;
    for (const PlannedFile& file : plan.files) {
        if (file.replacing) paths.push_back(joinPath(plan.root, file.relative));
    }
    return paths;
}

std::vector<std::wstring> heldNow(FileServices& files, const std::vector<std::wstring>& paths) {
    std::vector<std::wstring> held;
    for (const std::wstring& path : paths) {
        if (files.heldByAnotherProgram(path)) held.push_back(path);
    }
    return held;
}

/// The programs the system names; a system that cannot be asked names none, and the files are named
/// instead.
std::vector<FileHolder> holdersOf(Runtime& runtime, const std::vector<std::wstring>& paths) {
    try {
        return runtime.fileHolders().holdersOf(paths);
    } catch (const std::exception& failure) {
        runtime.host().logEvent(L"Le syst\u00E8me ne dit pas quels programmes utilisent les fichiers : " +
                                fromUtf8(failure.what()));
        return {};
    }
}

std::wstring holderList(const std::vector<FileHolder>& holders) {
    std::wstring list;
    for (const FileHolder& holder : holders) {
        if (!list.empty()) list += L", ";
        list += holder.program + L" (processus " + std::to_wstring(holder.processId) + L")";
    }
    return list;
}

}  // namespace

void waitUntilReplacedFilesAreFree(Session& session) {
    Runtime& runtime = session.runtime;
    Host& host = runtime.host();
    if (!session.state.update) return;
    const std::vector<std::wstring> replaced = replacedFiles(session.state.update->plan());
    const std::optional<int> waitSeconds = host.heldFilesWaitSeconds();
    std::optional<BoxMessage> logged;
    for (int second = 0;; ++second) {
        const std::vector<std::wstring> held = heldNow(runtime.files(), replaced);
        if (held.empty()) return;
        const BoxMessage message = heldFilesMessage(holdersOf(runtime, held), held);
        if (!waitSeconds) {
            if (host.messageBox(message.text, message.style, message.title) == box::kRetry) continue;
            host.logEvent(L"Mise \u00E0 jour annul\u00E9e : des fichiers sont en cours d'utilisation");
            session.state.exitStatus = ExitStatus::Declined;
            CleanupAndExit(session);
        }
        // Once, and again only when the holders change: a minute of waiting is not sixty lines.
        if (logged != message) {
            host.logEvent(L"Fichiers en cours d'utilisation (attente de " + std::to_wstring(*waitSeconds) +
                          L" s au plus) : " + message.text);
            logged = message;
        }
        if (second >= *waitSeconds) throw Failure(toUtf8(message.text));
        host.waitOneSecond();
    }
}

void logProgramsHoldingOldContent(Session& session) {
    Runtime& runtime = session.runtime;
    if (!session.state.update || !session.state.update->final()) return;
    ignoringFailure([&] {
        const std::vector<std::wstring> replaced = replacedFiles(session.state.update->plan());
        std::vector<std::wstring> oldContent;
        for (const std::wstring& path : replaced) oldContent.push_back(path + kAsideSuffix);
        // One look over every process for the common answer, nobody; a file at a time only when someone.
        if (oldContent.empty() || runtime.fileHolders().holdersOf(oldContent).empty()) return;
        for (std::size_t i = 0; i < replaced.size(); ++i) {
            const std::vector<FileHolder> holders = runtime.fileHolders().holdersOf({oldContent[i]});
            if (holders.empty()) continue;
            runtime.host().logEvent(L"L'ancien contenu de " + replaced[i] + L" reste ouvert par " +
                                    holderList(holders) +
                                    L" : ces programmes l'utilisent jusqu'\u00E0 leur red\u00E9marrage");
        }
    });
}

}  // namespace setup
