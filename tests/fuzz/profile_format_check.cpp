#include <algorithm>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/failure.h"
#include "platform/text_codec.h"
#include "registry/profile_format.h"
#include "tests/fuzz/fuzz_checks.h"

namespace setup::fuzz {

namespace {

/// The fuzzer's input split: its first three bytes are the lengths of the section, the key and the value
/// (each cut to the bytes that remain), which follow in that order; every byte after them is the file.
/// So "\x07\x04\x01" "Kelvane" "Path" "1" "[Kelvane]\r\n" writes Path=1 into a file of one header.
struct WriteInput {
    std::string_view file;
    std::string_view section;
    std::string_view key;
    std::string_view value;
};

WriteInput splitInput(std::string_view bytes) {
    std::size_t lengths[3] = {};
    const std::size_t header = std::min<std::size_t>(bytes.size(), 3);
    for (std::size_t i = 0; i < header; ++i) lengths[i] = static_cast<unsigned char>(bytes[i]);
    bytes.remove_prefix(header);
    std::string_view texts[3];
    for (std::size_t i = 0; i < 3; ++i) {
        texts[i] = bytes.substr(0, std::min(lengths[i], bytes.size()));
        bytes.remove_prefix(texts[i].size());
    }
    return {bytes, texts[0], texts[1], texts[2]};
}

// Every byte Windows counts as a blank around a name or a value.
constexpr std::string_view kBlanks = " \t\v\f";

std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

/// What a stored value reads back as: blanks around it dropped, then one matching outer pair of quotes.
std::string readBackOf(std::string_view value) {
    value = trimmed(value);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

/// True when two names could name the same section or key, by the loosest rule a reader may apply, so
/// that the names this answers false for are surely distinct.
bool mayBeSameName(std::string_view a, std::string_view b) {
    a = trimmed(a);
    b = trimmed(b);
    return a.size() == b.size() && equalIgnoringCase(fromAnsi(a), fromAnsi(b));
}

void addOnce(std::vector<std::string_view>& names, std::string_view name) {
    // A bound on the names keeps each run quick; the first names of a file are the ones a write can move.
    constexpr std::size_t kMostNames = 8;
    if (name.empty() || names.size() >= kMostNames) return;
    if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
}

/// The section and key names the file's lines could hold, trimmed: header texts and the text before "=".
void collectNames(std::string_view file, std::vector<std::string_view>& sections,
                  std::vector<std::string_view>& keys) {
    while (!file.empty()) {
        const std::size_t stop = std::min(file.find_first_of("\r\n"), file.size());
        const std::string_view line = trimmed(file.substr(0, stop));
        file.remove_prefix(std::min(stop + 1, file.size()));
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            addOnce(sections, trimmed(line.substr(1, line.find(']', 1) - 1)));
        } else if (const std::size_t equals = line.find('='); equals != std::string_view::npos) {
            addOnce(keys, trimmed(line.substr(0, equals)));
        }
    }
}

std::string shown(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && c != '"' && c != '\\') {
            out += c;
        } else {
            static constexpr char kHex[] = "0123456789ABCDEF";
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        }
    }
    return out + "\"";
}

/// True when `written` is `file` with at most part of one line taken out and any bytes put in its place, so
/// that every other byte of the file is kept.
bool keepsOtherLines(std::string_view file, std::string_view written) {
    const std::size_t shorter = std::min(file.size(), written.size());
    std::size_t prefix = 0;
    while (prefix < shorter && file[prefix] == written[prefix]) ++prefix;
    std::size_t suffix = 0;
    while (prefix + suffix < shorter &&
           file[file.size() - 1 - suffix] == written[written.size() - 1 - suffix])
        ++suffix;
    const std::string_view removed = file.substr(prefix, file.size() - suffix - prefix);
    return removed.find_first_of("\r\n") == std::string_view::npos;
}

/// The write's result, nullopt when refused; any other exception escapes to the caller.
std::optional<std::string> tryWrite(std::string_view file, const WriteInput& in) {
    try {
        return withProfileValue(file, in.section, in.key, in.value);
    } catch (const Failure&) {
        return std::nullopt;
    }
}

std::optional<std::string> checkWrite(const WriteInput& in) {
    const std::string what =
        " (section " + shown(in.section) + ", key " + shown(in.key) + ", value " + shown(in.value) + ")";
    // The read alone has nothing to compare with; it must return.
    static_cast<void>(findProfileValue(in.file, in.section, in.key));

    const std::optional<std::string> written = tryWrite(in.file, in);
    // A refusal depends on the names and the value alone, so it is decided before the file is looked at
    // and a refused write never half changes a file.
    if (written.has_value() != tryWrite(std::string_view(), in).has_value())
        return "a write is refused for one file and accepted for another" + what;
    if (!written) return std::nullopt;

    const std::optional<std::string> readBack = findProfileValue(*written, in.section, in.key);
    if (readBack != readBackOf(in.value)) {
        return "the written value reads back as " + (readBack ? shown(*readBack) : std::string("nothing")) +
               what + " giving " + shown(*written);
    }
    if (!keepsOtherLines(in.file, *written))
        return "the write loses bytes of other lines" + what + ": " + shown(*written);
    if (const std::string again = withProfileValue(*written, in.section, in.key, in.value); again != *written)
        return "writing the same value again changes the file" + what + ": " + shown(again);

    std::vector<std::string_view> sections;
    std::vector<std::string_view> keys;
    collectNames(in.file, sections, keys);
    for (const std::string_view section : sections) {
        for (const std::string_view key : keys) {
            if (mayBeSameName(section, in.section) && mayBeSameName(key, in.key)) continue;
            const std::optional<std::string> before = findProfileValue(in.file, section, key);
            if (findProfileValue(*written, section, key) != before)
                return "the write changes key " + shown(key) + " of section " + shown(section) + what;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> checkProfileFormat(std::string_view bytes) {
    try {
        return checkWrite(splitInput(bytes));
    } catch (const std::exception& error) {
        return std::string("the profile layer throws something other than a refusal: ") + error.what();
    }
}

}  // namespace setup::fuzz
