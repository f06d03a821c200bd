#include "seal/seal_format.h"

#include <set>

#include "platform/path_mapping.h"
#include "platform/text_codec.h"

namespace setup {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

/// True when `bytes` is well-formed UTF-8 with no control character: a name an author could have typed.
bool isTypedUtf8(std::string_view bytes) {
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) < 0x20 || c == '\x7F') return false;
    }
    return toUtf8(fromUtf8(bytes)) == bytes;
}

/// Reads one line without its end; false when it is not well formed.
bool parseLine(std::string_view text, SealLine& line) {
    constexpr std::size_t kHexDigits = 64;
    if (text.size() < kHexDigits + 3) return false;
    for (std::size_t i = 0; i < line.digest.size(); ++i) {
        const int high = hexValue(text[2 * i]);
        const int low = hexValue(text[2 * i + 1]);
        if (high < 0 || low < 0) return false;
        line.digest[i] = static_cast<std::uint8_t>(high * 16 + low);
    }
    if (text[kHexDigits] != ' ' || (text[kHexDigits + 1] != ' ' && text[kHexDigits + 1] != '*')) return false;
    const std::string_view name = text.substr(kHexDigits + 2);
    if (!isTypedUtf8(name)) return false;
    line.name = fromUtf8(name);
    return true;
}

}  // namespace

std::string toHex(const Sha256Digest& digest) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(digest.size() * 2);
    for (std::uint8_t byte : digest) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 0x0F];
    }
    return hex;
}

std::string formatSealLine(const Sha256Digest& digest, std::wstring_view name) {
    return toHex(digest) + "  " + toUtf8(name) + "\n";
}

ParsedSeal parseSeal(std::string_view bytes) {
    ParsedSeal seal;
    if (bytes.starts_with(kByteOrderMark)) bytes.remove_prefix(kByteOrderMark.size());
    std::set<std::wstring> keys;
    std::size_t number = 0;
    while (!bytes.empty()) {
        ++number;
        const std::size_t end = bytes.find('\n');
        std::string_view text = bytes.substr(0, end);
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
        if (text.ends_with('\r')) text.remove_suffix(1);
        SealLine line;
        line.line = number;
        if (!parseLine(text, line) || !keys.insert(sealNameKey(line.name)).second) {
            seal.lines.clear();
            seal.malformedLine = number;
            return seal;
        }
        seal.lines.push_back(std::move(line));
    }
    return seal;
}

std::wstring sealNameKey(std::wstring_view name) { return sameFileKey(name); }

}  // namespace setup
