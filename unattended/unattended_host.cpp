#include "unattended/unattended_host.h"

#include <cstdio>
#include <exception>

#include "platform/quoting.h"
#include "unattended/copy_progress.h"
#include "unattended/run_log.h"

namespace setup {

namespace {

std::wstring modeName(RunMode mode) {
    switch (mode) {
        case RunMode::Quiet:
            return L"silencieux (/quiet)";
        case RunMode::Passive:
            return L"passif (/passive)";
        default:
            return L"interactif";
    }
}

std::wstring boxKind(int style) {
    switch (style & 0x70) {
        case 16:
            return L"Erreur";
        case 32:
            return L"Question";
        case 48:
            return L"Avertissement";
        default:
            return L"Information";
    }
}

std::wstring answerName(int answer) {
    switch (answer) {
        case box::kOk:
            return L"OK";
        case box::kCancel:
            return L"Annuler";
        case box::kRetry:
            return L"R\u00E9essayer";
        case box::kYes:
            return L"Oui";
        case box::kNo:
            return L"Non";
        default:
            return std::to_wstring(answer);
    }
}

}  // namespace

UnattendedHost::UnattendedHost(Host& inner, RunMode mode, RunLog* log, CopyProgress* progress,
                               std::function<void(std::wstring_view)> toStandardError, int heldFilesWait,
                               ExitCodes exitCodes)
    : m_inner(inner),
      m_mode(mode),
      m_log(log),
      m_progress(progress),
      m_toStandardError(std::move(toStandardError)),
      m_heldFilesWait(heldFilesWait),
      m_exitCodes(exitCodes) {}

std::optional<int> UnattendedHost::heldFilesWaitSeconds() {
    if (m_mode == RunMode::Interactive) return m_inner.heldFilesWaitSeconds();
    return m_heldFilesWait;
}

void UnattendedHost::logStart() {
    logEvent(L"Setup " + programVersion() + L" : d\u00E9but de la mise \u00E0 jour, mode " +
             modeName(m_mode));
    logEvent(L"Dossier de mise \u00E0 jour : " + m_inner.programDirectory());
}

int UnattendedHost::unattendedAnswer(RunMode mode, int style) {
    switch (style & 0x0F) {
        case 4:
            return mode == RunMode::Passive ? box::kYes : box::kNo;
        case 3:
            return box::kYes;
        case 5:
            return box::kCancel;
        default:
            return box::kOk;
    }
}

void UnattendedHost::fileStaged(const std::wstring& source, const std::wstring& target, std::uint64_t bytes) {
    if (m_progress != nullptr) {
        ++m_progress->filesDone;
        m_progress->bytesDone += bytes;
    }
    logEvent(L"Fichier pr\u00E9par\u00E9 : " + source + L" -> " + target + L" (" + std::to_wstring(bytes) +
             L" octets)");
}

void UnattendedHost::logEvent(const std::wstring& event) {
    if (m_log != nullptr) m_log->write(event);
}

int UnattendedHost::messageBox(const std::wstring& text, int style, const std::wstring& title) {
    logEvent(boxKind(style) + L" " + guillemets(title) + L" : " + text);
    if (m_mode == RunMode::Interactive) {
        const int answer = m_inner.messageBox(text, style, title);
        logEvent(L"R\u00E9ponse : " + answerName(answer) + L" (donn\u00E9e par l'utilisateur)");
        return answer;
    }
    const int answer = unattendedAnswer(m_mode, style);
    logEvent(L"R\u00E9ponse : " + answerName(answer) + L" (donn\u00E9e d'office, sans question)");
    return answer;
}

void UnattendedHost::runStopped(const std::wstring& title, const std::wstring& text,
                                const std::wstring& cause) {
    if (m_mode == RunMode::Interactive) return;
    m_toStandardError(title + L" \u2014 " + text + (cause.empty() ? L"" : L" \u2014 \u00C9chec : " + cause) +
                      L"\n");
}

void UnattendedHost::endProgram(int exitStatus) {
    const int code = exitCodeFor(m_exitCodes, exitStatus, m_installationBusy);
    logEvent(L"Fin : code de sortie " + std::to_wstring(code) + L" (" + exitStatusMeaning(exitStatus) +
             L") ; dur\u00E9e " + durationText(std::chrono::steady_clock::now() - m_started));
    m_inner.endProgram(code);
    // An inner host whose end of the program came back would let the run resume after its last step.
    std::terminate();
}

std::wstring programVersion() {
    const std::string version = SETUP_VERSION;
    return std::wstring(version.begin(), version.end());
}

std::wstring exitStatusMeaning(int exitStatus) {
    switch (exitStatus) {
        case 0:
            return L"mise \u00E0 jour appliqu\u00E9e";
        case 1:
            return L"mise \u00E0 jour d\u00E9clin\u00E9e ou annul\u00E9e, rien n'a chang\u00E9";
        case 2:
            return L"mise \u00E0 jour refus\u00E9e par une v\u00E9rification, rien n'a chang\u00E9";
        case 3:
            return L"\u00E9chec, l'installation est telle qu'avant la mise \u00E0 jour";
        default:
            return L"code inattendu";
    }
}

std::wstring durationText(std::chrono::nanoseconds duration) {
    const long long milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(duration).count();
    wchar_t text[48];
    std::swprintf(text, 48, L"%lld,%03lld s", milliseconds / 1000, milliseconds % 1000);
    return text;
}

}  // namespace setup
