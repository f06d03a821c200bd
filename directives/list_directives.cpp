#include "directives/list_directives.h"

#include "platform/failure.h"
#include "platform/path_text.h"
#include "platform/runtime.h"
#include "registry/product_registry.h"
#include "run/cleanup.h"
#include "run/messages.h"
#include "run/run_state.h"
#include "run/session.h"
#include "run/stop_message.h"
#include "run/update_list.h"

namespace setup {

namespace {

/// A bound written with nothing but blanks sets no limit.
bool isBlank(const std::wstring& text) { return text.find_first_not_of(L" \t\n") == std::wstring::npos; }

/// Shows why a check refused the update and ends the run.
[[noreturn]] void refuse(Session& session, const BoxMessage& message) {
    session.state.exitStatus = ExitStatus::Refused;
    showStopMessage(session.runtime.host(), message);
    CleanupAndExit(session);
}

}  // namespace

std::wstring takeSectionSuffix(std::wstring& entry) {
    std::wstring section = kDefaultProduct;
    const auto bracket = entry.find(L'[');
    if (bracket != std::wstring::npos) {
        section = entry.substr(bracket + 1);
        // The suffix is expected to end with "]": whatever its last character is, it goes.
        if (section.empty()) throw Failure("suffixe de section sans nom");
        section.pop_back();
        entry.erase(bracket);
    }
    if (!entry.empty()) entry.erase(0, 1);
    return section;
}

VersionRange splitVersionRange(std::wstring& entry) {
    VersionRange range;
    range.section = takeSectionSuffix(entry);
    if (const auto bar = entry.find(L'|'); bar != std::wstring::npos) {
        range.upper = entry.substr(bar + 1);
        entry.erase(bar);
    }
    range.lower = entry;
    return range;
}

std::optional<BoxMessage> versionRefusal(const VersionRange& range, const std::wstring& installed) {
    const double installedValue = numericValue(installed);
    const std::wstring title = range.section + L" install\u00E9 version : " + installed;
    const std::wstring concerns =
        L"Cette mise \u00E0 jour concerne les versions du logiciel " + range.section;
    if (numericValue(range.lower) > installedValue) {
        return BoxMessage{concerns + L" sup\u00E9rieure ou \u00E9gale \u00E0 la version " + range.lower,
                          title, box::kCritical};
    }
    if (!isBlank(range.upper) && numericValue(range.upper) < installedValue) {
        return BoxMessage{concerns + L" inf\u00E9rieure ou \u00E9gale \u00E0 la version " + range.upper,
                          title, box::kCritical};
    }
    return std::nullopt;
}

std::wstring requiredFilePath(const std::wstring& installDir, const std::wstring& entry) {
    return installDir + trimSpaces(entry.substr(1));
}

void ListDirectives::alert(std::wstring& entry) {
    const BoxMessage message = warningMessage(entry);
    m_session.runtime.host().messageBox(message.text, message.style, message.title);
}

void ListDirectives::Version(std::wstring& entry) {
    const VersionRange range = splitVersionRange(entry);
    const std::wstring installed = ReadProfileValue(kRegistryReadName, range.section, L"Version");
    m_session.runtime.host().logEvent(
        L"V\u00E9rification : " + range.section + L" install\u00E9 en version \u00AB " + installed +
        L" \u00BB, plage \u00AB " + range.lower + L" \u00BB \u00E0 " +
        (isBlank(range.upper) ? std::wstring(L"(sans limite)") : L"\u00AB " + range.upper + L" \u00BB") +
        L" : " + (versionRefusal(range, installed) ? L"refus\u00E9e" : L"accept\u00E9e"));
    if (const auto message = versionRefusal(range, installed)) refuse(m_session, *message);
}

void ListDirectives::exist(std::wstring& entry) {
    if (!FileExists(m_session.runtime, requiredFilePath(m_session.state.InstallDir, entry))) {
        m_session.runtime.host().logEvent(L"V\u00E9rification : fichier requis " +
                                          requiredFilePath(m_session.state.InstallDir, entry) + L" : absent");
        refuse(m_session, missingFilesMessage());
    }
    m_session.runtime.host().logEvent(L"V\u00E9rification : fichier requis " +
                                      requiredFilePath(m_session.state.InstallDir, entry) +
                                      L" : pr\u00E9sent");
}

void ListDirectives::SetVer(std::wstring& entry) {
    const std::wstring section = takeSectionSuffix(entry);
    m_session.state.stamps.push_back({section, entry});
}

}  // namespace setup
