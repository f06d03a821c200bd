#pragma once

#include <optional>
#include <string>

#include "run/box_message.h"
#include "run/list_checks.h"
#include "versions/version_numbers.h"

namespace setup {

struct Session;

/// The list directives over a run: warnings, version ranges, required files and version stamps.
class ListDirectives final : public Directives {
  public:
    explicit ListDirectives(Session& session) : m_session(session) {}

    /// Shows the warning of an "!" entry.
    void alert(std::wstring& entry) override;
    /// Checks the installed version against the range of a "§" entry; leaves the lower bound in `entry`.
    void Version(std::wstring& entry) override;
    /// Checks that the file of an "@" entry is in the installation.
    void exist(std::wstring& entry) override;
    /// Hands the version of a "#" entry to the commit, which records it once the files are in place;
    /// leaves the version text in `entry`.
    void SetVer(std::wstring& entry) override;

  private:
    Session& m_session;
};

/// The parts of a "§" entry.
struct VersionRange {
    std::wstring section;  ///< the product's section, "Kelvane" without a suffix
    std::wstring lower;    ///< the lower-bound text, as written
    std::wstring upper;    ///< the upper-bound text, as written; blank means no upper bound
};

/// Splits a "§" entry into its section, lower and upper bound, leaving the lower-bound text in `entry`
/// as Version does. Throws Failure where takeSectionSuffix does.
VersionRange splitVersionRange(std::wstring& entry);

/// The message with which Version refuses the update for an installed version read as `installed`;
/// nullopt when that version lies in the range (both bounds inclusive).
std::optional<BoxMessage> versionRefusal(const VersionRange& range, const std::wstring& installed);

/// The path that exist checks for an "@" entry: the installation directory and the entry's path
/// without its marker and the spaces around it.
std::wstring requiredFilePath(const std::wstring& installDir, const std::wstring& entry);

/// Splits the section suffix off `entry` and drops its first character; answers the section,
/// "Kelvane" when there is no "[". Throws Failure when the first "[" is the entry's last character.
std::wstring takeSectionSuffix(std::wstring& entry);

}  // namespace setup
