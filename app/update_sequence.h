#pragma once

#include <string>

#include "run/box_message.h"

namespace setup {

struct Session;

/// The list directives, methods of the main window. Each takes the entry by reference; Version and SetVer
/// rewrite it. Version and exist end the run through CleanupAndExit when their check fails.
class Directives {
  public:
    virtual ~Directives() = default;
    virtual void alert(std::wstring& entry) = 0;
    virtual void Version(std::wstring& entry) = 0;
    virtual void exist(std::wstring& entry) = 0;
    virtual void SetVer(std::wstring& entry) = 0;
};

/// The caption used when the list has no title entry.
inline constexpr const wchar_t* kDefaultCaption = L"Kelvane: Mise \u00E0 jour...";

/// The warning an "!" entry shows: "Attention : " and the entry without its marker.
BoxMessage warningMessage(const std::wstring& entry);

/// The message shown when the registry names no installation of Kelvane.
BoxMessage notInstalledMessage();

/// The message shown when another run holds the installation.
BoxMessage installationLockedMessage();

/// The message shown when the installation's lock file is not the program's own regular file.
BoxMessage foreignLockFileMessage();

/// The message shown when a journal found at the start is not one the program will act on.
BoxMessage rejectedJournalMessage(const std::wstring& path, const std::wstring& reason);

/// The message shown when the update folder and the installation hold one another.
BoxMessage updateInsideInstallationMessage();

/// The pre-copy pass's work on one entry: "!" calls alert, "§" Version, "@" exist, each test made on
/// the entry as the directive before it left it.
void runPreCopyTests(std::wstring& entry, Directives& directives);

/// The stamp pass's work on one entry: "#" calls SetVer, which hands the version to the commit.
void runStampTest(std::wstring& entry, Directives& directives);

/// What the user is told when a start finds that an earlier run was stopped during its update.
inline constexpr const wchar_t* kRecoveredText =
    L"Une mise \u00E0 jour interrompue de Kelvane a \u00E9t\u00E9 annul\u00E9e ; l'installation a "
    L"retrouv\u00E9 son \u00E9tat pr\u00E9c\u00E9dent.";
inline constexpr const wchar_t* kRecoveredTitle = L"Mise \u00E0 jour interrompue";

/// The load handler of the main window: the whole update, from the title to the end of the program.
/// Never returns.
[[noreturn]] void Form_Load(Session& session, Directives& directives);

}  // namespace setup
