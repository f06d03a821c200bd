#pragma once

#include <QString>
#include <string>

namespace setup {

/// `text` as a Qt window title that shows it to the letter: Qt reads "[*]" in a title as the place of
/// the modified mark and drops it, unless it is doubled.
QString literalWindowTitle(const std::wstring& text);

}  // namespace setup
