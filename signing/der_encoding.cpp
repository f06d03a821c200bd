#include "signing/der_encoding.h"

#include <algorithm>

#include "platform/failure.h"

namespace setup::der {

std::span<const std::uint8_t> Reader::read(Tag tag) {
    if (m_rest.size() < 2) throw Failure("DER element cut short");
    if (m_rest[0] != tag) throw Failure("DER element of an unexpected type");
    std::size_t length = m_rest[1];
    std::size_t header = 2;
    // Every form read here is far below 64 KiB, so two length bytes are the most that is accepted.
    if (length & 0x80) {
        const std::size_t count = length & 0x7F;
        if (count == 0 || count > 2) throw Failure("DER length that is indefinite or too long");
        if (m_rest.size() < 2 + count) throw Failure("DER length cut short");
        length = 0;
        for (std::size_t i = 0; i < count; ++i) length = (length << 8) | m_rest[2 + i];
        if (length < 0x80 || (count == 2 && length < 0x100))
            throw Failure("DER length not in its shortest form");
        header += count;
    }
    if (length > m_rest.size() - header) throw Failure("DER element longer than its container");
    const std::span<const std::uint8_t> contents = m_rest.subspan(header, length);
    m_rest = m_rest.subspan(header + length);
    return contents;
}

void Reader::expectEnd() const {
    if (!m_rest.empty()) throw Failure("bytes after the last DER element");
}

void readUnsigned(std::span<const std::uint8_t> contents, std::span<std::uint8_t> out) {
    if (contents.empty()) throw Failure("DER INTEGER without contents");
    if (contents[0] & 0x80) throw Failure("negative DER INTEGER");
    if (contents[0] == 0 && contents.size() > 1) {
        if (!(contents[1] & 0x80)) throw Failure("DER INTEGER not in its shortest form");
        contents = contents.subspan(1);
    }
    if (contents.size() > out.size()) throw Failure("DER INTEGER too large");
    std::fill(out.begin(), out.end(), std::uint8_t{0});
    std::copy(contents.begin(), contents.end(), out.end() - static_cast<std::ptrdiff_t>(contents.size()));
}

void appendElement(std::vector<std::uint8_t>& out, Tag tag, std::span<const std::uint8_t> contents) {
    out.push_back(tag);
    const std::size_t length = contents.size();
    if (length > 0xFFFF) throw Failure("DER element too long to write");
    if (length >= 0x100) {
        out.push_back(0x82);
        out.push_back(static_cast<std::uint8_t>(length >> 8));
    } else if (length >= 0x80) {
        out.push_back(0x81);
    }
    out.push_back(static_cast<std::uint8_t>(length));
    out.insert(out.end(), contents.begin(), contents.end());
}

void appendUnsigned(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> value) {
    auto first = std::find_if(value.begin(), value.end(), [](std::uint8_t b) { return b != 0; });
    std::vector<std::uint8_t> contents;
    if (first == value.end() || (*first & 0x80)) contents.push_back(0);
    contents.insert(contents.end(), first, value.end());
    appendElement(out, kInteger, contents);
}

}  // namespace setup::der
