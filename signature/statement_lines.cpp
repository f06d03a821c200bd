#include "signature/statement_lines.h"

#include <cctype>
#include <charconv>
#include <exception>
#include <system_error>

#include "platform/text_codec.h"
#include "signing/base64.h"

namespace setup {

std::optional<std::vector<std::vector<std::string_view>>> splitStatementLines(std::string_view text) {
    if (text.empty() || text.back() != '\n') return std::nullopt;
    std::vector<std::vector<std::string_view>> lines;
    while (!text.empty()) {
        const std::size_t feed = text.find('\n');
        std::string_view line = text.substr(0, feed);
        text.remove_prefix(feed + 1);
        std::vector<std::string_view> fields;
        for (;;) {
            const std::size_t tab = line.find('\t');
            fields.push_back(line.substr(0, tab));
            if (tab == std::string_view::npos) break;
            line.remove_prefix(tab + 1);
        }
        lines.push_back(std::move(fields));
    }
    return lines;
}

bool hexDigest(std::string_view field, Sha256Digest& digest) {
    if (field.size() != digest.size() * 2) return false;
    for (std::size_t i = 0; i < digest.size(); ++i) {
        const char* first = field.data() + 2 * i;
        if (!std::isxdigit(static_cast<unsigned char>(first[0])) ||
            std::isupper(static_cast<unsigned char>(first[0])) ||
            !std::isxdigit(static_cast<unsigned char>(first[1])) ||
            std::isupper(static_cast<unsigned char>(first[1])))
            return false;
        std::from_chars(first, first + 2, digest[i], 16);
    }
    return true;
}

bool decimal(std::string_view field, std::uint64_t& value) {
    if (field.empty() || (field.size() > 1 && field.front() == '0')) return false;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    return error == std::errc() && end == field.data() + field.size();
}

bool wideField(std::string_view field, std::wstring& text) {
    for (char c : field) {
        if (static_cast<unsigned char>(c) < 0x20 || c == '\x7F') return false;
    }
    text = fromUtf8(field);
    return toUtf8(text) == field;
}

bool base64Field(std::string_view field, std::vector<std::uint8_t>& bytes) {
    try {
        bytes = base64Decode(field);
    } catch (const std::exception&) {
        return false;
    }
    return !bytes.empty();
}

}  // namespace setup
