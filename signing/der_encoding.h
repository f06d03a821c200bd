#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace setup::der {

/// The tags of the few DER elements the key and signature forms are made of.
enum Tag : std::uint8_t {
    kInteger = 0x02,
    kBitString = 0x03,
    kOctetString = 0x04,
    kObjectIdentifier = 0x06,
    kSequence = 0x30,
    kExplicit0 = 0xA0,
    kExplicit1 = 0xA1,
};

/// Reads DER elements one after another from a byte range. Everything that is not strict DER (indefinite or
/// non-minimal lengths, lengths beyond the range, an unexpected tag) throws Failure.
class Reader {
  public:
    explicit Reader(std::span<const std::uint8_t> bytes) : m_rest(bytes) {}

    /// The contents of the next element, which must carry `tag`.
    std::span<const std::uint8_t> read(Tag tag);
    /// Whether an element follows and carries `tag`.
    bool nextIs(Tag tag) const { return !m_rest.empty() && m_rest.front() == tag; }
    /// Throws Failure when bytes are left after the last element read.
    void expectEnd() const;

  private:
    std::span<const std::uint8_t> m_rest;
};

/// The non-negative INTEGER contents `contents` as a big-endian number of exactly `out.size()` bytes.
/// Throws Failure when they are not minimal, negative or too large.
void readUnsigned(std::span<const std::uint8_t> contents, std::span<std::uint8_t> out);

/// Appends the element `tag` with `contents` to `out`.
void appendElement(std::vector<std::uint8_t>& out, Tag tag, std::span<const std::uint8_t> contents);
/// Appends the big-endian number `value` to `out` as a minimal DER INTEGER.
void appendUnsigned(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> value);

}  // namespace setup::der
