#pragma once

#include <string>

#include "app/update_sequence.h"

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
    /// Records the version of a "#" entry; leaves the version text in `entry`. A version that cannot be
    /// recorded is a failure.
    void SetVer(std::wstring& entry) override;

  private:
    Session& m_session;
};

/// Numeric value of a text as the update compares versions: spaces, tabs and line feeds ignored
/// anywhere; the longest leading number (sign, digits, one ".", exponent); "&H" and "&O" integers;
/// no number is 0.
double numericValue(const std::wstring& text);

/// Splits the section suffix off `entry` and drops its first character; answers the section,
/// "Kelvane" when there is no "[". Throws Failure when the first "[" is the entry's last character.
std::wstring takeSectionSuffix(std::wstring& entry);

}  // namespace setup
