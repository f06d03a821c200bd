// Who holds the files of an update on Windows (Wine runs these), with a real second process holding one.
#include "platform/file_holders.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/failure.h"
#include "platform/held_files.h"
#include "platform/path_mapping.h"
#include "tests/platform/file_holder_process.h"
#include "tests/support/temp_dir.h"

namespace setup::test {
namespace {

class HeldUpdateFiles : public ::testing::Test {
  protected:
    HeldUpdateFiles() {
        writeFile(m_dir / "held.dll", "held by file_holder");
        writeFile(m_dir / "free.dll", "held by nobody");
        m_files.holdFolder(programPath(m_dir.path()));
    }
    std::wstring at(const std::wstring& relative) const {
        return programPath(m_dir.path()) + L"\\" + relative;
    }

    TempDir m_dir;
    HeldFolderFiles m_files;
};

TEST_F(HeldUpdateFiles, OnlyTheFileAnotherProgramHoldsIsHeldAndOnlyWhileItHoldsIt) {
    FileHolderProcess holder(m_dir / "held.dll");
    const struct {
        const wchar_t* name;
        bool held;
    } rows[] = {
        {L"held.dll", true}, {L"free.dll", false}, {L"missing.dll", false}, {L"missing\\a.dll", false}};
    for (const auto& row : rows) EXPECT_EQ(m_files.heldByAnotherProgram(at(row.name)), row.held) << row.name;
    EXPECT_EQ(holder.letGo(), 0);
    EXPECT_FALSE(m_files.heldByAnotherProgram(at(L"held.dll")));
}

TEST_F(HeldUpdateFiles, AFolderIsNoFileToAskAbout) {
    m_files.createFolder(at(L"sub"));
    EXPECT_THROW(m_files.heldByAnotherProgram(at(L"sub")), Failure);
}

// Windows' Restart Manager names file_holder.exe by its process number; Wine's names no program at all and
// answers success. Both are true answers of the system, and the run shows whatever it names.
TEST_F(HeldUpdateFiles, TheRestartManagerNamesTheHolderOrNobody) {
    FileHolderProcess holder(m_dir / "held.dll");
    const std::vector<FileHolder> holders =
        systemFileHolderFinder()->holdersOf({at(L"held.dll"), at(L"free.dll")});
    ASSERT_LE(holders.size(), 1u);
    if (!holders.empty()) {
        EXPECT_EQ(holders[0].processId, holder.processId());
    }
}

}  // namespace
}  // namespace setup::test
