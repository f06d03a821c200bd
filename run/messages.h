#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/file_holders.h"
#include "platform/file_services.h"
#include "run/box_message.h"
#include "seal/seal_check.h"
#include "staging/update_plan.h"

// Every message box the run shows, each title and text written once, so that the sequence, the checks,
// the copy and the checker's report of what setup would say all show the same words.

namespace setup {

/// The caption used when the list has no title entry.
inline constexpr const wchar_t* kDefaultCaption = L"Kelvane: Mise \u00E0 jour...";

/// The question asked before anything is copied; its title is the list's caption.
inline constexpr const wchar_t* kConfirmationText = L"Voulez-vous effectuer la mise \u00E0 jour ?";

/// What the user is told when a start finds that an earlier run was stopped during its update.
inline constexpr const wchar_t* kRecoveredText =
    L"Une mise \u00E0 jour interrompue de Kelvane a \u00E9t\u00E9 annul\u00E9e ; l'installation a "
    L"retrouv\u00E9 son \u00E9tat pr\u00E9c\u00E9dent.";
inline constexpr const wchar_t* kRecoveredTitle = L"Mise \u00E0 jour interrompue";

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

/// The message shown when a file a "@" entry requires is not in the installation.
BoxMessage missingFilesMessage();

/// The message that tells the user which file of the update is damaged and that it must be fetched again.
BoxMessage sealProblemMessage(const SealProblem& problem);

/// Why the plan refuses `refusal`, in French, naming its entry: the run's log and the checker say it
/// alike. `found`, what stands at the entry's place in the installation when it is known, tells a
/// folder from a link.
std::wstring refusalReasonText(const PlanRefusal& refusal, std::optional<NodeKind> found = std::nullopt);

/// The question asked while other programs hold files the update replaces: one line per program that
/// holds them, or one per file in `held` where the system names none; Retry or Cancel.
BoxMessage heldFilesMessage(const std::vector<FileHolder>& holders, const std::vector<std::wstring>& held);

/// The message shown when the installation trusts a key and the update is not signed.
BoxMessage unsignedUpdateMessage();

/// The message shown when the update's signature does not verify, or its list, seal or a file is not
/// the one the signature names.
BoxMessage signatureMismatchMessage();

/// The message shown when the update is signed by a key the installation does not trust.
BoxMessage unknownKeyMessage();

/// The message shown when the update would record `version`, below `installed`, the highest version the
/// installation has recorded (both as written).
BoxMessage olderVersionMessage(const std::wstring& version, const std::wstring& installed);

/// The message shown when the installation's trust file cannot be read or is damaged.
BoxMessage damagedTrustMessage();

/// The message of the failure branch: the update did not complete.
BoxMessage failureMessage();

}  // namespace setup
