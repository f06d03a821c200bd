#include <iconv.h>

#include <array>
#include <cerrno>
#include <unordered_map>

#include "platform/failure.h"
#include "platform/text_codec.h"

namespace setup {

namespace {

constexpr wchar_t kReplacement = 0xFFFD;

/// The code page in both directions, taken from the C library's converter once.
struct AnsiTables {
    std::array<wchar_t, 256> toWide{};
    std::unordered_map<wchar_t, char> toByte;
};

AnsiTables buildTables() {
    iconv_t cd = ::iconv_open("UTF-32LE", "WINDOWS-1252");
    if (cd == reinterpret_cast<iconv_t>(-1)) throw Failure("le convertisseur Windows-1252 est indisponible");
    AnsiTables tables;
    for (int b = 0; b < 256; ++b) {
        char in = static_cast<char>(b);
        unsigned char out[8] = {};
        char* inPtr = &in;
        char* outPtr = reinterpret_cast<char*>(out);
        std::size_t inLeft = 1;
        std::size_t outLeft = sizeof out;
        ::iconv(cd, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
        std::size_t result = ::iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        wchar_t wide = kReplacement;
        if (result != static_cast<std::size_t>(-1) && inLeft == 0 && sizeof out - outLeft == 4) {
            wide = static_cast<wchar_t>(out[0] | (out[1] << 8) | (out[2] << 16) | (out[3] << 24));
        }
        tables.toWide[static_cast<std::size_t>(b)] = wide;
        if (wide != kReplacement) tables.toByte.emplace(wide, static_cast<char>(b));
    }
    ::iconv_close(cd);
    return tables;
}

const AnsiTables& ansiTables() {
    static const AnsiTables tables = buildTables();
    return tables;
}

}  // namespace

std::wstring fromAnsi(std::string_view bytes) {
    const auto& table = ansiTables().toWide;
    std::wstring text;
    text.reserve(bytes.size());
    for (char b : bytes) text += table[static_cast<unsigned char>(b)];
    return text;
}

std::string toAnsi(std::wstring_view text) {
    const auto& map = ansiTables().toByte;
    std::string bytes;
    bytes.reserve(text.size());
    for (wchar_t c : text) {
        auto it = map.find(c);
        bytes += it == map.end() ? '?' : it->second;
    }
    return bytes;
}

}  // namespace setup
