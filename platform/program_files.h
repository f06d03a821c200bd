#pragma once

#include <string_view>

namespace setup {

// The names of the program's own files, each written here once.

// In the update folder, beside the program:
/// The update list.
inline constexpr const wchar_t* kUpdateListName = L"setup.lst";
/// The seal of the files the list copies, in the format sha256sum reads.
inline constexpr std::wstring_view kSealFileName = L"setup.sum";
/// What the vendor signs: the list's digest, the versions it records and each copied file.
inline constexpr std::wstring_view kStatementFileName = L"setup.signed";
/// The detached signature of the statement.
inline constexpr std::wstring_view kSignatureFileName = L"setup.sig";

// In an installation, which no update may ship under these names:
/// The lock file at the installation's top; the program owns it.
inline constexpr const wchar_t* kInstallationLockName = L".setup-lock";
/// The journal at the installation's top, naming everything a run touches.
inline constexpr const wchar_t* kJournalName = L".setup-journal";
/// The name the journal takes once the update is final: what it names is then only to be cleaned up.
inline constexpr const wchar_t* kFinalJournalName = L".setup-journal-done";
/// The installation's trust file: the key its signed updates must be signed by, and the highest version
/// each section recorded.
inline constexpr const wchar_t* kTrustName = L".setup-trust";
/// A staged copy beside its target.
inline constexpr const wchar_t* kStagedSuffix = L".setup-new";
/// An installed file moved aside while the update is not final.
inline constexpr const wchar_t* kAsideSuffix = L".setup-old";

}  // namespace setup
