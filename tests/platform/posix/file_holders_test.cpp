// The holders of a file on Linux, read from /proc, with a real second process holding it.
#include "platform/file_holders.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "platform/held_files.h"
#include "platform/path_mapping.h"
#include "tests/platform/file_holder_process.h"
#include "tests/support/temp_dir.h"

namespace setup::test {
namespace {

struct HoldCase {
    const char* name;
    bool map;
};

void PrintTo(const HoldCase& row, std::ostream* out) { *out << row.name; }

class ProcessFileHolders : public ::testing::TestWithParam<HoldCase> {
  protected:
    TempDir m_dir;
    std::wstring m_path = programPath(m_dir / "held.so");
    std::unique_ptr<FileHolderFinder> m_finder = systemFileHolderFinder();
};

TEST_P(ProcessFileHolders, NameTheHolderWhileItHoldsTheFileAndNobodyOnceItEnds) {
    writeFile(m_dir / "held.so", "the content a program holds");
    FileHolderProcess holder(m_dir / "held.so", GetParam().map);
    const std::vector<FileHolder> holders = m_finder->holdersOf({programPath(m_dir / "missing"), m_path});
    ASSERT_EQ(holders.size(), 1u);
    EXPECT_EQ(holders[0].processId, holder.processId());
    EXPECT_EQ(holders[0].program, L"file_holder");
    // A rename never waits for a holder here.
    HeldFolderFiles files;
    files.holdFolder(programPath(m_dir.path()));
    EXPECT_FALSE(files.heldByAnotherProgram(m_path));
    EXPECT_EQ(holder.letGo(), 0);
    EXPECT_TRUE(m_finder->holdersOf({m_path}).empty());
}

TEST_P(ProcessFileHolders, NameNobodyOnceTheFileIsReplaced) {
    writeFile(m_dir / "held.so", "the old content");
    FileHolderProcess holder(m_dir / "held.so", GetParam().map);
    writeFile(m_dir / "new.so", "the new content");
    std::filesystem::rename(m_dir / "new.so", m_dir / "held.so");
    EXPECT_TRUE(m_finder->holdersOf({m_path}).empty());
}

INSTANTIATE_TEST_SUITE_P(Holds, ProcessFileHolders,
                         ::testing::Values(HoldCase{"open", false}, HoldCase{"mapped", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ProcessFileHolderFinder, NeverNamesTheCallingProgram) {
    TempDir dir;
    writeFile(dir / "own.so", "held by the test itself");
    const int fd = ::open((dir / "own.so").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    EXPECT_TRUE(systemFileHolderFinder()->holdersOf({programPath(dir / "own.so")}).empty());
    ::close(fd);
}

}  // namespace
}  // namespace setup::test
