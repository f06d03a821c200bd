#pragma once

#include <optional>
#include <string>

namespace setup {

/// The number a text begins with, read as numericValue reads it; nullopt when it begins with none.
/// Throws Failure where numericValue does.
std::optional<double> leadingNumber(const std::wstring& text);

/// Numeric value of a text as the update compares versions: spaces, tabs and line feeds ignored
/// anywhere; the longest leading number (sign, digits, one ".", exponent); "&H" and "&O" integers;
/// no number is 0.
double numericValue(const std::wstring& text);

}  // namespace setup
