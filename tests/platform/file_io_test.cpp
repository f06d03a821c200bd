#include "platform/file_io.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/failure.h"
#include "tests/platform/file_test_helpers.h"
#include "tests/support/temp_dir.h"

namespace setup::test {
namespace {

namespace fs = std::filesystem;

TEST(ReadWholeFile, ReadsEveryByte) {
    TempDir dir;
    std::string bytes(200000, 'x');
    bytes[7] = '\0';
    bytes.back() = '\xFF';
    writeFile(dir / "big.bin", bytes);
    EXPECT_EQ(readWholeFile(dir / "big.bin"), bytes);
}

TEST(ReadWholeFile, RefusesWhatIsNoReadableRegularFile) {
    TempDir dir;
    fs::create_directory(dir / "folder");
    EXPECT_THROW(readWholeFile(dir / "missing"), Failure);
    EXPECT_THROW(readWholeFile(dir / "folder"), Failure);
}

TEST(ReplaceFileAtomically, CreatesTheFileAndItsFolders) {
    TempDir dir;
    replaceFileAtomically(dir / "a" / "b" / "TamReg.reg", "[Kelvane]\r\n");
    EXPECT_EQ(readFile(dir / "a" / "b" / "TamReg.reg"), "[Kelvane]\r\n");
    EXPECT_EQ(namesIn(dir / "a" / "b"), std::set<std::string>{"TamReg.reg"});
}

TEST(ReplaceFileAtomically, FailureOnAFolderLeavesNoTemporaryFile) {
    TempDir dir;
    writeFile(dir / "f.reg" / "inside", "kept");
    EXPECT_THROW(replaceFileAtomically(dir / "f.reg", "x"), Failure);
    EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"f.reg"});
    EXPECT_EQ(readFile(dir / "f.reg" / "inside"), "kept");
}

TEST(ReadFileIfPresent, TellsAMissingFileFromAnUnreadableOne) {
    TempDir dir;
    writeFile(dir / "present", "bytes");
    fs::create_directory(dir / "folder");
    EXPECT_EQ(readFileIfPresent(dir / "missing"), std::nullopt);
    EXPECT_EQ(readFileIfPresent(dir / "present"), std::optional<std::string>("bytes"));
    EXPECT_THROW(readFileIfPresent(dir / "folder"), Failure);
}

}  // namespace
}  // namespace setup::test
