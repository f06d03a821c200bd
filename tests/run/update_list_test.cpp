#include "run/update_list.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "platform/failure.h"

namespace setup {
namespace {

TEST(ClassifyEntry, DecidesByTheFirstCharacterOnly) {
    struct Row {
        const char* name;
        std::wstring entry;
        EntryKind kind;
    };
    const Row rows[] = {
        {"title", L";Mise \u00E0 jour 3.1", EntryKind::Remark},
        {"warning", L"!Fermez Kelvane", EntryKind::Warning},
        {"range", L"\u00A71.0|2.0", EntryKind::VersionRange},
        {"required", L"@bin\\kelvane.exe", EntryKind::RequiredFile},
        {"stamp", L"#3.1[Abc]", EntryKind::VersionStamp},
        {"file", L"readme.txt", EntryKind::File},
        {"empty entry is passed over", L"", EntryKind::Empty},
        {"space before a marker makes a file entry", L" ;x", EntryKind::File},
        {"marker later in the entry does not count", L"a!b", EntryKind::File},
        {"UTF-8 section sign read as two characters", L"\u00C2\u00A71.0", EntryKind::File},
    };
    for (const Row& row : rows) EXPECT_EQ(classifyEntry(row.entry), row.kind) << row.name;
}

TEST(TrimSpaces, RemovesOnlySpacesAtTheEnds) {
    EXPECT_EQ(trimSpaces(L"  a b  "), L"a b");
    EXPECT_EQ(trimSpaces(L"   "), L"");
    EXPECT_EQ(trimSpaces(L"\ta\t"), L"\ta\t");
    EXPECT_EQ(trimSpaces(L""), L"");
}

TEST(CountEntry, FailsBeyondSixteenBitsAndKeepsTheCount) {
    std::int16_t count = 32766;
    countEntry(count);
    EXPECT_EQ(count, 32767);
    EXPECT_THROW(countEntry(count), Failure);
    EXPECT_EQ(count, 32767);
}

}  // namespace
}  // namespace setup
