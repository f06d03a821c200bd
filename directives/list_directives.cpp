#include "directives/list_directives.h"

#include "app/cleanup.h"
#include "platform/failure.h"
#include "platform/runtime.h"
#include "registry/path_routines.h"
#include "registry/product_registry.h"
#include "run/run_state.h"
#include "run/session.h"
#include "run/update_list.h"

namespace setup {

namespace {

/// A bound written with nothing but blanks sets no limit.
bool isBlank(const std::wstring& text) { return text.find_first_not_of(L" \t\n") == std::wstring::npos; }

/// Shows why a check refused the update and ends the run.
[[noreturn]] void refuse(Session& session, const std::wstring& text, const std::wstring& title) {
    session.state.exitStatus = ExitStatus::Refused;
    session.runtime.messageBox(text, box::kCritical, title);
    CleanupAndExit(session);
}

}  // namespace

std::wstring takeSectionSuffix(std::wstring& entry) {
    std::wstring section = kDefaultProduct;
    const auto bracket = entry.find(L'[');
    if (bracket != std::wstring::npos) {
        section = entry.substr(bracket + 1);
        // The suffix is expected to end with "]": whatever its last character is, it goes.
        if (section.empty()) throw Failure("section suffix without a name");
        section.pop_back();
        entry.erase(bracket);
    }
    if (!entry.empty()) entry.erase(0, 1);
    return section;
}

void ListDirectives::alert(std::wstring& entry) {
    m_session.runtime.messageBox(L"Attention : " + entry.substr(1), box::kExclamation, L"Mise en Garde");
}

void ListDirectives::Version(std::wstring& entry) {
    const std::wstring section = takeSectionSuffix(entry);
    std::wstring upper;
    if (const auto bar = entry.find(L'|'); bar != std::wstring::npos) {
        upper = entry.substr(bar + 1);
        entry.erase(bar);
    }
    const std::wstring& lower = entry;
    const std::wstring installed = ReadProfileValue(kRegistryReadName, section, L"Version");
    const double installedValue = numericValue(installed);
    const std::wstring title = section + L" install\u00E9 version : " + installed;
    const std::wstring concerns = L"Cette mise \u00E0 jour concerne les versions du logiciel " + section;
    if (numericValue(lower) > installedValue) {
        refuse(m_session, concerns + L" sup\u00E9rieure ou \u00E9gale \u00E0 la version " + lower, title);
    }
    if (!isBlank(upper) && numericValue(upper) < installedValue) {
        refuse(m_session, concerns + L" inf\u00E9rieure ou \u00E9gale \u00E0 la version " + upper, title);
    }
}

void ListDirectives::exist(std::wstring& entry) {
    const std::wstring path = m_session.state.InstallDir + trimSpaces(entry.substr(1));
    if (!FileExists(m_session.runtime, path)) {
        refuse(
            m_session,
            L"Les fichiers \u00E0 mettre \u00E0 jour ne semblent pas correctement install\u00E9s. Veuillez "
            L"r\u00E9installer Kelvane avant de relancer la mise \u00E0 jour.",
            L"Erreur: Fichiers \u00E0 mettre \u00E0 jour non install\u00E9s");
    }
}

void ListDirectives::SetVer(std::wstring& entry) {
    const std::wstring section = takeSectionSuffix(entry);
    if (!writeVersion(section, entry)) throw Failure("the version could not be recorded");
}

}  // namespace setup
