#pragma once

#include <string>

namespace setup {

/// A message box as the program shows it: its text, its title and its style (box::kCritical ...).
struct BoxMessage {
    std::wstring text;
    std::wstring title;
    int style = 0;
    bool operator==(const BoxMessage&) const = default;
};

}  // namespace setup
