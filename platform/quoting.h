#pragma once

#include <string>

namespace setup {

/// `text` between French quotation marks (guillemets), as every message of the program names a file, an entry
/// or a version: « text ».
inline std::wstring guillemets(const std::wstring& text) { return L"\u00AB " + text + L" \u00BB"; }

}  // namespace setup
