#include "signing/base64.h"

#include "platform/failure.h"

namespace setup {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int sextetOf(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

}  // namespace

std::string base64Encode(std::span<const std::uint8_t> bytes) {
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t left = bytes.size() - i;
        std::uint32_t group = std::uint32_t{bytes[i]} << 16;
        if (left > 1) group |= std::uint32_t{bytes[i + 1]} << 8;
        if (left > 2) group |= bytes[i + 2];
        text += kAlphabet[(group >> 18) & 63];
        text += kAlphabet[(group >> 12) & 63];
        text += left > 1 ? kAlphabet[(group >> 6) & 63] : '=';
        text += left > 2 ? kAlphabet[group & 63] : '=';
    }
    return text;
}

std::vector<std::uint8_t> base64Decode(std::string_view text) {
    if (text.size() % 4 != 0) throw Failure("base64 text of a length that is no multiple of 4");
    std::size_t padding = 0;
    if (!text.empty() && text.back() == '=') padding = text[text.size() - 2] == '=' ? 2 : 1;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(text.size() / 4 * 3);
    std::uint32_t group = 0;
    for (std::size_t i = 0; i < text.size() - padding; ++i) {
        const int sextet = sextetOf(text[i]);
        if (sextet < 0) throw Failure("character outside the base64 alphabet at offset " + std::to_string(i));
        group = (group << 6) | static_cast<std::uint32_t>(sextet);
        if (i % 4 == 3) {
            bytes.push_back(static_cast<std::uint8_t>(group >> 16));
            bytes.push_back(static_cast<std::uint8_t>(group >> 8));
            bytes.push_back(static_cast<std::uint8_t>(group));
            group = 0;
        }
    }
    // Only one spelling of each byte string is taken: the bits that padding leaves over must be zero.
    if (padding == 2) {
        if ((group & 0x0F) != 0) throw Failure("base64 text with unused bits set");
        bytes.push_back(static_cast<std::uint8_t>(group >> 4));
    } else if (padding == 1) {
        if ((group & 0x03) != 0) throw Failure("base64 text with unused bits set");
        bytes.push_back(static_cast<std::uint8_t>(group >> 10));
        bytes.push_back(static_cast<std::uint8_t>(group >> 2));
    }
    return bytes;
}

}  // namespace setup
