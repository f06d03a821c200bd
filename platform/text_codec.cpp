#include "platform/text_codec.h"

namespace setup {

namespace {

constexpr wchar_t kReplacement = 0xFFFD;

void appendUtf8(std::string& out, char32_t c) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = kReplacement;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

/// Wide text holds UTF-16 where wchar_t has 16 bits (Windows) and UTF-32 where it has 32 (Linux).
constexpr bool kWideIsUtf16 = sizeof(wchar_t) == 2;

bool isHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

void appendWide(std::wstring& out, char32_t c) {
    if (kWideIsUtf16 && c >= 0x10000) {
        c -= 0x10000;
        out += static_cast<wchar_t>(0xD800 + (c >> 10));
        out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
    } else {
        out += static_cast<wchar_t>(c);
    }
}

}  // namespace

std::string toUtf8(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        // char16_t first, so that a 16-bit wchar_t is never sign-extended.
        char32_t c = kWideIsUtf16 ? static_cast<char16_t>(text[i]) : static_cast<char32_t>(text[i]);
        if (kWideIsUtf16 && isHighSurrogate(c) && i + 1 < text.size() &&
            isLowSurrogate(static_cast<char16_t>(text[i + 1]))) {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char16_t>(text[i + 1]) - 0xDC00);
            ++i;
        }
        appendUtf8(out, c);  // a lone surrogate becomes U+FFFD there
    }
    return out;
}

std::wstring fromUtf8(std::string_view bytes) {
    // Each maximal ill-formed subsequence becomes one U+FFFD, as Unicode recommends.
    std::wstring out;
    out.reserve(bytes.size());
    const std::size_t size = bytes.size();
    std::size_t i = 0;
    auto byteAt = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
    while (i < size) {
        const unsigned char lead = byteAt(i);
        if (lead < 0x80) {
            out += static_cast<wchar_t>(lead);
            ++i;
            continue;
        }
        int length = 0;
        char32_t c = 0;
        unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            c = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            c = lead & 0x0F;
            if (lead == 0xE0) low = 0xA0;
            if (lead == 0xED) high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            c = lead & 0x07;
            if (lead == 0xF0) low = 0x90;
            if (lead == 0xF4) high = 0x8F;
        } else {
            out += kReplacement;
            ++i;
            continue;
        }
        std::size_t k = i + 1;
        bool complete = true;
        for (int n = 1; n < length; ++n, ++k) {
            const unsigned char lo = n == 1 ? low : 0x80;
            const unsigned char hi = n == 1 ? high : 0xBF;
            if (k >= size || byteAt(k) < lo || byteAt(k) > hi) {
                complete = false;
                break;
            }
            c = (c << 6) | (byteAt(k) & 0x3F);
        }
        appendWide(out, complete ? c : kReplacement);
        i = k;
    }
    return out;
}

wchar_t foldCase(wchar_t c) {
    if (c >= L'a' && c <= L'z') return static_cast<wchar_t>(c - 0x20);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<wchar_t>(c - 0x20);  // à-þ except ÷
    switch (c) {
        case 0x0161:
            return 0x0160;  // š
        case 0x0153:
            return 0x0152;  // œ
        case 0x017E:
            return 0x017D;  // ž
        case 0x00FF:
            return 0x0178;  // ÿ
        default:
            return c;
    }
}

bool equalIgnoringCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (foldCase(a[i]) != foldCase(b[i])) return false;
    }
    return true;
}

}  // namespace setup
