#include "platform/file_digest.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/failure.h"
#include "seal/seal_format.h"
#include "tests/support/temp_dir.h"

namespace setup::test {
namespace {

std::string hex(const Sha256Digest& digest) { return toHex(digest); }

/// Bytes 0, 1, ... 250, 0, 1 ...: no block of the file repeats at a power of two.
std::string pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i % 251);
    return bytes;
}

struct KnownDigest {
    const char* name;
    std::string content;
    const char* sha256;
};

void PrintTo(const KnownDigest& row, std::ostream* out) { *out << row.name; }

class Digests : public ::testing::TestWithParam<KnownDigest> {};

TEST_P(Digests, OfAFileMatchTheKnownValue) {
    TempDir dir;
    writeFile(dir / "file.bin", GetParam().content);
    EXPECT_EQ(hex(fileSha256(dir / "file.bin")), GetParam().sha256);
}

TEST_P(Digests, HandedInOddPiecesMatchTheKnownValue) {
    const std::string& content = GetParam().content;
    Sha256 digest;
    for (std::size_t at = 0; at < content.size(); at += 4099)
        digest.update(content.data() + at, std::min<std::size_t>(4099, content.size() - at));
    EXPECT_EQ(hex(digest.finish()), GetParam().sha256);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Digests,
    ::testing::Values(
        KnownDigest{"Empty", "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        KnownDigest{"Abc", "abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        KnownDigest{"TwoBlocks", "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
                    "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        KnownDigest{"OneMebibytePattern", pattern(1 << 20),
                    "631b84027d6b9e52b539c4e8373622d23032dfadc64d60af87339c9037e4f769"},
        KnownDigest{"OneByteBeyondAReadBlock", pattern((1 << 20) + 1),
                    "5769f52bc3eef28afa39c6fc68cadb7d0bd69812ae3a3d71452f519ec3c7aa56"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FileSha256, RefusesWhatIsNoRegularFile) {
    TempDir dir;
    std::filesystem::create_directory(dir / "folder");
    EXPECT_THROW(fileSha256(dir / "missing"), Failure);
    EXPECT_THROW(fileSha256(dir / "folder"), Failure);
}

}  // namespace
}  // namespace setup::test
