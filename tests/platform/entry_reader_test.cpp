#include "platform/entry_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/failure.h"

namespace setup::test {
namespace {

std::vector<std::wstring> readAll(const std::string& bytes) {
    EntryReader reader(bytes);
    std::vector<std::wstring> entries;
    while (!reader.atEnd()) entries.push_back(reader.next());
    return entries;
}

struct ReadCase {
    const char* name;
    std::string bytes;
    std::vector<std::wstring> entries;
};

class ReadingRule : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadingRule, YieldsTheEntries) { EXPECT_EQ(readAll(GetParam().bytes), GetParam().entries); }

const ReadCase kReadCases[] = {
    {"EmptyFile", "", {}},
    {"OneEntryWithoutLineEnd", "a.dll", {L"a.dll"}},
    {"OneEntryWithLineEnd", "a.dll\r\n", {L"a.dll"}},
    {"CommasSeparate", "a,b,c\r\n", {L"a", L"b", L"c"}},
    {"CommaThenLineEndGivesEmptyEntry", "a,\r\nb", {L"a", L"", L"b"}},
    {"QuotedEntryKeepsCommasAndSpaces",
     "\"!Attention, lisez  ceci \",x\r\n",
     {L"!Attention, lisez  ceci ", L"x"}},
    {"QuotedEntryMaySpanLines", "\"a\r\nb\",c", {L"a\r\nb", L"c"}},
    {"TextAfterClosingQuoteDroppedToComma", "\"a\" junk,b", {L"a", L"b"}},
    {"TextAfterClosingQuoteDroppedToLineEnd", "\"a\"junk\r\nb", {L"a", L"b"}},
    {"EmptyQuotedEntry", "\"\",x", {L"", L"x"}},
    {"QuoteInsideUnquotedEntryIsOrdinary", "ab\"c\",d", {L"ab\"c\"", L"d"}},
    {"LeadingSpacesSkipped", "   ;Titre\r\n  x", {L";Titre", L"x"}},
    {"SpacesBeforeQuoteSkipped", "  \"a,b\"", {L"a,b"}},
    {"TrailingSpacesKept", "abc  ,d  \r\n", {L"abc  ", L"d  "}},
    {"TabIsNoSpace", "\tabc", {L"\tabc"}},
    {"BlankLineIsEmptyEntry", "a\r\n\r\nb\r\n", {L"a", L"", L"b"}},
    {"BlankLastLineIsEmptyEntry", "a\r\n\r\n", {L"a", L""}},
    {"SpacesOnlyAtEndGiveEmptyEntry", "a,   ", {L"a", L""}},
    {"LoneCrEndsLine", "a\rb\r", {L"a", L"b"}},
    {"LoneLfEndsLine", "a\nb\n", {L"a", L"b"}},
    {"LfCrIsTwoLineEnds", "a\n\rb", {L"a", L"", L"b"}},
    {"MarkersAreOrdinaryCharacters",
     ";Titre\r\n!Avis\r\n\xA7"
     "1.0|2.0[Autre]\r\n@bin\\a.dll\r\n#2.0\r\n",
     {L";Titre", L"!Avis",
      L"\u00A7"
      L"1.0|2.0[Autre]",
      L"@bin\\a.dll", L"#2.0"}},
    {"AnsiLettersDecoded", "caf\xE9 \x80\x8A\x9F", {L"caf\u00E9 \u20AC\u0160\u0178"}},
    {"UndefinedBytesBecomeReplacement", "\x81\x8D\x8F\x90\x9D", {L"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"}},
    {"NulByteKept", std::string("a\0b,c", 5), {std::wstring(L"a\0b", 3), L"c"}},
};

INSTANTIATE_TEST_SUITE_P(EntryReader, ReadingRule, ::testing::ValuesIn(kReadCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(EntryReader, ListSavedAsUtf8LosesItsVersionMarker) {
    const auto entries = readAll(
        "\xC2\xA7"
        "1.0|2.0\r\n");
    ASSERT_EQ(entries.size(), 1u);
    ASSERT_FALSE(entries[0].empty());
    EXPECT_NE(entries[0][0], L'\u00A7');
    EXPECT_EQ(entries[0],
              L"\u00C2\u00A7"
              L"1.0|2.0");
}

TEST(EntryReader, QuoteNeverClosedFails) {
    EntryReader reader("a,\"b,c\r\nd");
    EXPECT_EQ(reader.next(), L"a");
    EXPECT_THROW(reader.next(), Failure);
}

TEST(EntryReader, QuoteNeverClosedLeavesNothingToRead) {
    // A caller that ignores the failure and goes on must reach the end instead of failing forever.
    EntryReader reader("\"open");
    EXPECT_THROW(reader.next(), Failure);
    EXPECT_TRUE(reader.atEnd());
}

TEST(EntryReader, AtEndAfterSpacesOnlyGivesEmptyEntryThenEnd) {
    EntryReader reader("   ");
    EXPECT_FALSE(reader.atEnd());
    EXPECT_EQ(reader.next(), L"");
    EXPECT_TRUE(reader.atEnd());
    EXPECT_EQ(reader.next(), L"");
}

struct LineCase {
    const char* name;
    std::string bytes;
    std::vector<std::size_t> lines;  ///< the line each entry starts on
    std::vector<bool> quoted;        ///< whether each entry is a quoted one
};

class EntryLines : public ::testing::TestWithParam<LineCase> {};

TEST_P(EntryLines, EachEntryKnowsItsLineAndQuotes) {
    EntryReader reader(GetParam().bytes);
    std::vector<std::size_t> lines;
    std::vector<bool> quoted;
    while (!reader.atEnd()) {
        lines.push_back(reader.line());
        quoted.push_back(reader.nextIsQuoted());
        reader.next();
    }
    EXPECT_EQ(lines, GetParam().lines);
    EXPECT_EQ(quoted, GetParam().quoted);
}

const LineCase kLineCases[] = {
    {"CrLfLines", "a\r\nb,c\r\n\r\nd", {1, 2, 2, 3, 4}, {false, false, false, false, false}},
    {"LoneCrAndLoneLf", "a\rb\nc", {1, 2, 3}, {false, false, false}},
    {"CommaBeforeLineEndGivesEmptyEntryOnThatLine", "a,\r\nb", {1, 1, 2}, {false, false, false}},
    {"QuotedEntryAcrossLinesCountsThem", "\"a\r\nb\",c\r\nd", {1, 2, 3}, {true, false, false}},
    {"SpacesBeforeQuote", "  \"a\"\r\nb\"c\"", {1, 2}, {true, false}},
};

INSTANTIATE_TEST_SUITE_P(EntryReader, EntryLines, ::testing::ValuesIn(kLineCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(EntryReader, GarbageNeverHangsOrCrashes) {
    const char alphabet[] = {',', '"', '\r', '\n', ' ', 'a', '\0', '\x81', '\xA7', '\xFF', '\t'};
    std::uint32_t state = 12345;
    auto random = [&] {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    for (int round = 0; round < 2000; ++round) {
        std::string bytes(random() % 64, '\0');
        for (char& b : bytes) b = alphabet[random() % sizeof alphabet];
        EntryReader reader(bytes);
        std::size_t reads = 0;
        try {
            while (!reader.atEnd()) {
                reader.next();
                ASSERT_LE(++reads, bytes.size()) << "no progress on round " << round;
            }
        } catch (const Failure&) {
            EXPECT_TRUE(reader.atEnd());
        }
    }
}

}  // namespace
}  // namespace setup::test
