#include <windows.h>

#include <array>

#include "platform/failure.h"
#include "platform/text_codec.h"

namespace setup {

namespace {

constexpr UINT kWindows1252 = 1252;
constexpr wchar_t kReplacement = 0xFFFD;

/// The code page's 256 characters, taken from the system's converter once. The five bytes that
/// Windows-1252 leaves undefined become U+FFFD, as on Linux (the system would hand back C1 controls).
std::array<wchar_t, 256> buildTable() {
    std::array<wchar_t, 256> table{};
    for (int b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        wchar_t wide = 0;
        if (::MultiByteToWideChar(kWindows1252, MB_ERR_INVALID_CHARS, &byte, 1, &wide, 1) != 1) {
            if (b < 0x80) throw Failure("la page de code Windows-1252 est indisponible");
            wide = kReplacement;
        }
        const bool undefined = b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
        table[static_cast<std::size_t>(b)] = undefined ? kReplacement : wide;
    }
    return table;
}

const std::array<wchar_t, 256>& ansiTable() {
    static const std::array<wchar_t, 256> table = buildTable();
    return table;
}

}  // namespace

std::wstring fromAnsi(std::string_view bytes) {
    const auto& table = ansiTable();
    std::wstring text;
    text.reserve(bytes.size());
    for (char b : bytes) text += table[static_cast<unsigned char>(b)];
    return text;
}

std::string toAnsi(std::wstring_view text) {
    const auto& table = ansiTable();
    std::string bytes;
    bytes.reserve(text.size());
    // Character by character, so that each one the code page lacks (a surrogate pair is one character)
    // becomes exactly one "?". A byte counts only when it reads back as the same character, so neither a
    // "best fit" look-alike nor a control standing for an undefined byte ever gets through.
    for (std::size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            bytes += '?';
            ++i;
            continue;
        }
        char byte = '?';
        BOOL usedDefault = FALSE;
        const int count =
            ::WideCharToMultiByte(kWindows1252, WC_NO_BEST_FIT_CHARS, &c, 1, &byte, 1, "?", &usedDefault);
        const bool exact = count == 1 && !usedDefault && table[static_cast<unsigned char>(byte)] == c;
        bytes += exact ? byte : '?';
    }
    return bytes;
}

}  // namespace setup
