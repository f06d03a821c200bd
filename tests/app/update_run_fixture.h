#pragma once
// The messages a whole run of the update shows, and a run with an installed Kelvane 2.0, shared by the
// tests of whole runs on every system and by those only one system can arrange.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/update_run.h"

namespace setup::test {

inline const std::wstring kConfirmText = L"Voulez-vous effectuer la mise \u00E0 jour ?";
inline const std::wstring kFailureText =
    L"La mise \u00E0 jour du logiciel Kelvane ne semble pas s'\u00EAtre d\u00E9roul\u00E9e normalement. "
    L"Veuillez recommencer";
inline const std::wstring kFailureTitle = L"Erreur: Mise \u00E0 jour non termin\u00E9e";
inline const std::wstring kCancelText = L"Etes-vous sur de vouloir annuler la mise \u00E0 jour ?";
inline const std::wstring kCancelTitle = L"Interruption de la Mise \u00E0 jour...";
inline const std::wstring kDefaultTitle = L"Kelvane: Mise \u00E0 jour...";
inline const std::wstring kRangeIntro = L"Cette mise \u00E0 jour concerne les versions du logiciel Kelvane";

inline ShownMessage warning(const std::wstring& text) {
    return {L"Attention : " + text, L"Mise en Garde", 48};
}
inline ShownMessage confirmation(const std::wstring& title) { return {kConfirmText, title, 33}; }
inline ShownMessage failure() { return {kFailureText, kFailureTitle, 16}; }
inline ShownMessage cancelQuestion() { return {kCancelText, kCancelTitle, 36}; }
inline ShownMessage lowerBound(const std::wstring& installed, const std::wstring& lower) {
    return {kRangeIntro + L" sup\u00E9rieure ou \u00E9gale \u00E0 la version " + lower,
            L"Kelvane install\u00E9 version : " + installed, 16};
}
inline ShownMessage upperBound(const std::wstring& installed, const std::wstring& upper) {
    return {kRangeIntro + L" inf\u00E9rieure ou \u00E9gale \u00E0 la version " + upper,
            L"Kelvane install\u00E9 version : " + installed, 16};
}
inline ShownMessage notInstalled() {
    return {
        L"Le logiciel Kelvane ne semble pas install\u00E9 sur cette machine. Veuillez r\u00E9installer "
        L"Kelvane "
        L"de fa\u00E7on compl\u00E8te avant de relancer cette installation",
        L"Erreur: Kelvane non install\u00E9", 16};
}
inline ShownMessage missingFiles() {
    return {
        L"Les fichiers \u00E0 mettre \u00E0 jour ne semblent pas correctement install\u00E9s. Veuillez "
        L"r\u00E9installer Kelvane avant de relancer la mise \u00E0 jour.",
        L"Erreur: Fichiers \u00E0 mettre \u00E0 jour non install\u00E9s", 16};
}

inline std::string installed(const UpdateRun& run, const std::string& relative) {
    return std::filesystem::exists(run.installation / relative) ? readFile(run.installation / relative)
                                                                : "<absent>";
}

/// A run with an installed Kelvane 2.0 and three shipped files, one of them in a subfolder.
class UpdateRunTest : public ::testing::Test {
  protected:
    UpdateRunTest() {
        run.registerProduct("2.0");
        run.addInstalledFile("kelvane.exe", "old program");
        run.addUpdateFile("kelvane.exe", "new program");
        run.addUpdateFile("aide.txt", "aide");
        run.addUpdateFile("modules/calcul.dll", "calcul");
    }

    UpdateRun run;
};

}  // namespace setup::test
