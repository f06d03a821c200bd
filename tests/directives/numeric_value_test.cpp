#include <gtest/gtest.h>

#include "directives/list_directives.h"
#include "platform/failure.h"

namespace setup {
namespace {

TEST(NumericValue, ReadsTheLeadingNumber) {
    struct Row {
        const char* name;
        std::wstring text;
        double value;
    };
    const Row rows[] = {
        {"plain", L"3.1", 3.1},
        {"trailing zero", L"3.10", 3.1},
        {"two points stop at the second", L"2.1.4", 2.1},
        {"letters first", L"V3", 0.0},
        {"empty", L"", 0.0},
        {"blanks anywhere", L" 1 2.\t5\n", 12.5},
        {"sign", L"-2.5", -2.5},
        {"plus sign", L"+7", 7.0},
        {"sign alone", L"-", 0.0},
        {"point alone", L".", 0.0},
        {"leading point", L".5", 0.5},
        {"trailing point", L"4.", 4.0},
        {"comma is no decimal point", L"3,5", 3.0},
        {"exponent", L"1.5E2", 150.0},
        {"lower-case exponent with sign", L"25e-1", 2.5},
        {"exponent without digits is not one", L"2E", 2.0},
        {"exponent sign without digits", L"2e+", 2.0},
        {"text after the number", L"3.1 beta", 3.1},
        {"hex", L"&H1F", 31.0},
        {"hex lower case", L"&hff", 255.0},
        {"four hex digits are 16-bit signed", L"&HFFFF", -1.0},
        {"hex 8000", L"&H8000", -32768.0},
        {"five hex digits are 32-bit", L"&H0FFFF", 65535.0},
        {"eight hex digits are 32-bit signed", L"&HFFFFFFFF", -1.0},
        {"hex digits stop at a non-digit", L"&H1G", 1.0},
        {"hex without digits", L"&H", 0.0},
        {"octal", L"&O17", 15.0},
        {"octal 16-bit signed", L"&O177777", -1.0},
        {"octal stops at 8", L"&O78", 7.0},
        {"ampersand alone", L"&", 0.0},
        {"ampersand with another letter", L"&X1", 0.0},
        {"tiny number is 0", L"1E-400", 0.0},
        {"tiny without exponent is 0",
         L"0.000000000000000000000000000000000000000000000000000000000000000000000"
         L"00000000000000000000000000000000000000000000000000000000000000000000000"
         L"00000000000000000000000000000000000000000000000000000000000000000000000"
         L"00000000000000000000000000000000000000000000000000000000000000000000000"
         L"00000000000000000000000000000000000000000000000000000000000000000000001",
         0.0},
        {"accented letter stops the number", L"2\u00E9", 2.0},
    };
    for (const Row& row : rows) EXPECT_DOUBLE_EQ(numericValue(row.text), row.value) << row.name;
}

TEST(NumericValue, ComparesVersionsAsNumbers) {
    EXPECT_GT(numericValue(L"3.9"), numericValue(L"3.10"));
    EXPECT_EQ(numericValue(L"3.1"), numericValue(L"3.10"));
    EXPECT_LT(numericValue(L"2.10"), numericValue(L"2.2"));
}

TEST(LeadingNumber, TellsZeroFromNoNumber) {
    EXPECT_EQ(leadingNumber(L"0"), 0.0);
    EXPECT_EQ(leadingNumber(L" 3.1 beta"), 3.1);
    EXPECT_EQ(leadingNumber(L"&H10"), 16.0);
    for (const std::wstring text : {L"", L"V3", L"-", L".", L"&H", L"&Hz"}) {
        EXPECT_EQ(leadingNumber(text), std::nullopt) << "text: " << std::string(text.begin(), text.end());
        EXPECT_EQ(numericValue(text), 0.0);
    }
}

TEST(NumericValue, NumbersTooLargeToHoldFail) {
    EXPECT_THROW(numericValue(L"1E400"), Failure);
    EXPECT_THROW(numericValue(L"&H123456789"), Failure);
    EXPECT_THROW(numericValue(L"&O77777777777"), Failure);
}

TEST(SectionSuffix, SplitsTheSectionAndDropsTheMarker) {
    struct Row {
        const char* name;
        std::wstring entry;
        std::wstring section;
        std::wstring rest;
    };
    const Row rows[] = {
        {"no suffix", L"\u00A71.0|2.0", L"Kelvane", L"1.0|2.0"},
        {"suffix", L"\u00A71.0|2.0[Abc]", L"Abc", L"1.0|2.0"},
        {"bar inside the suffix belongs to the section", L"\u00A71.0[Ab|c]", L"Ab|c", L"1.0"},
        {"suffix right after the marker", L"#[Abc]", L"Abc", L""},
        {"missing closing bracket loses the last character", L"#3.1[Abc", L"Ab", L"3.1"},
        {"text after the bracket joins the section", L"#3.1[Abc] ", L"Abc]", L"3.1"},
        {"spaces stay in the version", L"# 3.1 [Abc]", L"Abc", L" 3.1 "},
        {"only the first bracket counts", L"#1[a[b]", L"a[b", L"1"},
    };
    for (const Row& row : rows) {
        std::wstring entry = row.entry;
        EXPECT_EQ(takeSectionSuffix(entry), row.section) << row.name;
        EXPECT_EQ(entry, row.rest) << row.name;
    }
}

TEST(SectionSuffix, BracketAsLastCharacterFails) {
    std::wstring entry = L"#3.1[";
    EXPECT_THROW(takeSectionSuffix(entry), Failure);
}

}  // namespace
}  // namespace setup
