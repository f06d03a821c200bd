#include <cmath>
#include <exception>
#include <string>

#include "directives/list_directives.h"
#include "platform/failure.h"
#include "platform/text_codec.h"
#include "tests/fuzz/fuzz_checks.h"

namespace setup::fuzz {

namespace {

/// Nullopt when the numeric value of `text` is finite or a Failure.
std::optional<std::string> checkNumber(const std::wstring& text) {
    try {
        const double value = numericValue(text);
        if (!std::isfinite(value)) return "the numeric value of \"" + toUtf8(text) + "\" is not finite";
    } catch (const Failure&) {
    }
    return std::nullopt;
}

/// Nullopt when the section suffix is split off `original` as documented: the section runs from after the
/// first "[" to the character before the last, the entry keeps what lies between its first character and
/// that "[", and a "[" that is the last character is a Failure.
std::optional<std::string> checkSuffix(const std::wstring& original, std::wstring& entry) {
    const std::size_t bracket = original.find(L'[');
    const bool bracketLast = bracket != std::wstring::npos && bracket + 1 == original.size();
    std::wstring section;
    try {
        section = takeSectionSuffix(entry);
    } catch (const Failure&) {
        if (!bracketLast) return "the section suffix of \"" + toUtf8(original) + "\" is refused";
        return std::nullopt;
    }
    if (bracketLast) return "a \"[\" at the end of \"" + toUtf8(original) + "\" is accepted";
    const bool split =
        bracket == std::wstring::npos
            ? section == L"Kelvane" && entry == original.substr(original.empty() ? 0 : 1)
            : section == original.substr(bracket + 1, original.size() - bracket - 2) &&
                  entry == original.substr(bracket == 0 ? 0 : 1, bracket == 0 ? 0 : bracket - 1);
    if (!split) {
        return "\"" + toUtf8(original) + "\" splits into \"" + toUtf8(entry) + "\" and section \"" +
               toUtf8(section) + "\"";
    }
    return std::nullopt;
}

std::optional<std::string> checkEntry(const std::wstring& original) {
    if (auto problem = checkNumber(original)) return problem;
    std::wstring entry = original;
    if (auto problem = checkSuffix(original, entry)) return problem;
    // The bounds of a version range, as the range check reads them.
    const std::size_t bar = entry.find(L'|');
    if (auto problem = checkNumber(entry.substr(0, bar))) return problem;
    if (bar != std::wstring::npos) return checkNumber(entry.substr(bar + 1));
    return std::nullopt;
}

}  // namespace

std::optional<std::string> checkVersionNumbers(std::string_view bytes) {
    try {
        return checkEntry(fromAnsi(bytes));
    } catch (const std::exception& error) {
        return std::string("reading a version throws something other than a failure: ") + error.what();
    }
}

}  // namespace setup::fuzz
