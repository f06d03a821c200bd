#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "platform/file_digest.h"
#include "seal/seal_format.h"
#include "tests/support/temp_dir.h"

namespace setup::test {
namespace {

// A sparse file: 4 GiB of holes then "end", so a size or offset kept in 32 bits changes the digest.
TEST(FileSha256, ReadsAFileBeyondFourGibibytesToItsEnd) {
    TempDir dir;
    const auto path = dir / "huge.bin";
    constexpr off_t kHoles = off_t{4} << 30;
    {
        std::ofstream out(path, std::ios::binary);
        out.seekp(kHoles);
        out << "end";
    }
    ASSERT_EQ(std::filesystem::file_size(path), static_cast<std::uintmax_t>(kHoles) + 3);
    EXPECT_EQ(toHex(fileSha256(path)), "318e01702cd7413290bc5004d33f5a0bc296ca51e70ed23a0c41922589640900");
}

}  // namespace
}  // namespace setup::test
