#include "signing/pem_armour.h"

#include "platform/failure.h"
#include "signing/base64.h"

namespace setup {

namespace {

// A P-256 key takes a few hundred bytes; anything much longer is not one of ours, and is refused before
// any work is spent on it.
constexpr std::size_t kMaxText = 4096;
constexpr std::size_t kLineWidth = 64;
// RFC 7468 lets writers wrap up to 76 characters.
constexpr std::size_t kMaxLineWidth = 76;

constexpr std::string_view kDashes = "-----";
constexpr std::string_view kWhitespace = " \t\r\n";

std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kWhitespace);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kWhitespace) - first + 1);
}

/// The next line of `text`, without its line end (LF or CR LF), taken off the front of `text`.
std::string_view takeLine(std::string_view& text) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

/// The label of a "-----BEGIN label-----" or "-----END label-----" line, or Failure.
std::string_view labelOf(std::string_view line, std::string_view keyword) {
    const std::size_t prefix = kDashes.size() + keyword.size();
    if (line.size() <= prefix + kDashes.size() || !line.starts_with(kDashes) ||
        line.substr(kDashes.size(), keyword.size()) != keyword || !line.ends_with(kDashes))
        throw Failure("PEM text without its " + std::string(trimmed(keyword)) + " line");
    const std::string_view label = line.substr(prefix, line.size() - prefix - kDashes.size());
    for (const char c : label)
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' '))
            throw Failure("PEM label with a character other than capitals, digits and spaces");
    return label;
}

}  // namespace

std::string pemArmour(std::string_view label, std::span<const std::uint8_t> der) {
    const std::string body = base64Encode(der);
    std::string text = std::string(kDashes) + "BEGIN " + std::string(label) + std::string(kDashes) + "\n";
    for (std::size_t at = 0; at < body.size(); at += kLineWidth) text += body.substr(at, kLineWidth) + "\n";
    return text + std::string(kDashes) + "END " + std::string(label) + std::string(kDashes) + "\n";
}

PemBlock readPemBlock(std::string_view text) {
    if (text.size() > kMaxText) throw Failure("PEM text longer than " + std::to_string(kMaxText) + " bytes");
    std::string_view rest = trimmed(text);
    const std::string_view label = labelOf(takeLine(rest), "BEGIN ");
    std::string body;
    for (;;) {
        if (rest.empty()) throw Failure("PEM text without its END line");
        const std::string_view line = takeLine(rest);
        if (line.starts_with(kDashes)) {
            if (labelOf(line, "END ") != label) throw Failure("PEM END line of another label");
            break;
        }
        if (line.empty() || line.size() > kMaxLineWidth)
            throw Failure("PEM line that is empty or longer than " + std::to_string(kMaxLineWidth));
        body += line;
    }
    if (!rest.empty()) throw Failure("text after the PEM END line");
    return PemBlock{std::string(label), base64Decode(body)};
}

}  // namespace setup
