#include "registry/profile_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

#include "platform/failure.h"

namespace setup::test {
namespace {

using namespace std::string_literals;

struct ReadCase {
    const char* name;
    std::string content;
    std::string section;
    std::string key;
    std::optional<std::string> expected;
};

std::ostream& operator<<(std::ostream& out, const ReadCase& row) { return out << row.name; }

class FindProfileValue : public ::testing::TestWithParam<ReadCase> {};

TEST_P(FindProfileValue, ReadsLikeTheWindowsProfileRead) {
    const ReadCase& row = GetParam();
    EXPECT_EQ(findProfileValue(row.content, row.section, row.key), row.expected);
}

const std::string kLong300 = std::string(300, 'x');

INSTANTIATE_TEST_SUITE_P(
    Rules, FindProfileValue,
    ::testing::Values(
        ReadCase{"PlainValue", "[Kelvane]\r\nPath=C:\\Kelvane\r\n", "Kelvane", "Path", "C:\\Kelvane"},
        ReadCase{"EmptyValue", "[Kelvane]\r\nPath=\r\n", "Kelvane", "Path", ""},
        ReadCase{"SectionInCapitals", "[KELVANE]\r\nPath=x\r\n", "Kelvane", "Path", "x"},
        ReadCase{"KeyInOtherCase", "[Kelvane]\r\npATH=x\r\n", "Kelvane", "Path", "x"},
        ReadCase{"AccentedSectionCaseFolded", "[\xC9T\xC9]\r\nPath=x\r\n", "\xE9t\xE9", "Path", "x"},
        ReadCase{"SpacesAroundArgumentsIgnored", "[Kelvane]\r\nPath=x\r\n", "  Kelvane ", " Path  ", "x"},
        ReadCase{"TabAroundSectionArgumentIgnored", "[Kelvane]\r\nPath=x\r\n", "Kelvane\t", "Path", "x"},
        ReadCase{"VerticalTabAndFormFeedAroundArgumentsIgnored", "[Kelvane]\r\nPath=x\r\n", "\fKelvane",
                 "Path\v", "x"},
        ReadCase{"VerticalTabAndFormFeedAroundNamesInTheFile", "\v[\fKelvane\v]\r\n\fPath\v=\v x\f\r\n",
                 "Kelvane", "Path", "x"},
        ReadCase{"BlanksAroundKeyAndValue", "[Kelvane]\r\n \t Path \t= \t x y \t \r\n", "Kelvane", "Path",
                 "x y"},
        ReadCase{"BlanksInsideBrackets", " \t[ \tKelvane\t ]\r\nPath=x\r\n", "Kelvane", "Path", "x"},
        ReadCase{"DoubleQuotesRemoved", "[S]\r\nk=\" a b \"\r\n", "S", "k", " a b "},
        ReadCase{"SingleQuotesRemoved", "[S]\r\nk='a'\r\n", "S", "k", "a"},
        ReadCase{"OnlyOneOuterPairRemoved", "[S]\r\nk=\"\"a\"\"\r\n", "S", "k", "\"a\""},
        ReadCase{"MismatchedQuotesStay", "[S]\r\nk=\"a'\r\n", "S", "k", "\"a'"},
        ReadCase{"OpeningQuoteOnlyStays", "[S]\r\nk=\"a\r\n", "S", "k", "\"a"},
        ReadCase{"LoneQuoteStays", "[S]\r\nk=\"\r\n", "S", "k", "\""},
        ReadCase{"EmptyQuotedValue", "[S]\r\nk=''\r\n", "S", "k", ""},
        ReadCase{"FirstSectionOnlySearched", "[S]\r\na=1\r\n[T]\r\n[s]\r\nk=2\r\n", "S", "k", std::nullopt},
        ReadCase{"FirstMatchingKeyWins", "[S]\r\nk=1\r\nK=2\r\n", "S", "k", "1"},
        ReadCase{"KeyOfOtherSectionNotFound", "[A]\r\nk=1\r\n[S]\r\nj=2\r\n", "S", "k", std::nullopt},
        ReadCase{"KeyBeforeAnySectionNotFound", "k=1\r\n[S]\r\n", "S", "k", std::nullopt},
        ReadCase{"CommentedKeyNotFound", "[S]\r\n;k=1\r\n", "S", "k", std::nullopt},
        ReadCase{"CommentAfterBlanks", "[S]\r\n \t;k=1\r\nk=2\r\n", "S", "k", "2"},
        ReadCase{"CommentedHeaderIsNoSection", ";[S]\r\nk=1\r\n", "S", "k", std::nullopt},
        ReadCase{"HashIsNoComment", "[S]\r\n#k=1\r\n", "S", "#k", "1"},
        ReadCase{"SemicolonInValueIsData", "[S]\r\nk=a ; b\r\n", "S", "k", "a ; b"},
        ReadCase{"SectionNameEndsAtFirstBracket", "[S]x]trailing\r\nk=1\r\n", "S", "k", "1"},
        ReadCase{"MissingClosingBracketTolerated", "[S\r\nk=1\r\n", "S", "k", "1"},
        ReadCase{"LineWithoutEqualsIsNoKey", "[S]\r\nk\r\nk=2\r\n", "S", "k", "2"},
        ReadCase{"EqualsInValueKept", "[S]\r\nk=a=b\r\n", "S", "k", "a=b"},
        ReadCase{"LongValueNotCutHere", "[S]\r\nk=" + kLong300 + "\r\n", "S", "k", kLong300},
        ReadCase{"LoneLfLineEnds", "[S]\nk=1\nj=2\n", "S", "j", "2"},
        ReadCase{"LoneCrLineEnds", "[S]\rk=1\rj=2\r", "S", "j", "2"},
        ReadCase{"MixedLineEnds", "[A]\r\n[S]\rk=1\n\r\nj=2", "S", "j", "2"},
        ReadCase{"NoFinalLineEnd", "[S]\r\nk=1", "S", "k", "1"},
        ReadCase{"NulBytesAreData", "[S]\r\nk=a\0b\r\n"s, "S", "k", "a\0b"s},
        ReadCase{"MissingSection", "[A]\r\nk=1\r\n", "S", "k", std::nullopt},
        ReadCase{"MissingKey", "[S]\r\nj=1\r\n", "S", "k", std::nullopt},
        ReadCase{"EmptyContent", "", "S", "k", std::nullopt},
        ReadCase{"EmptySectionArgument", "[]\r\nk=1\r\n", "", "k", std::nullopt},
        ReadCase{"EmptyKeyArgument", "[S]\r\n=1\r\n", "S", "  ", std::nullopt}),
    [](const ::testing::TestParamInfo<ReadCase>& info) { return std::string(info.param.name); });

TEST(FindProfileValueRobustness, HugeLineAndNoLineEnds) {
    const std::string huge(100000, 'z');
    EXPECT_EQ(findProfileValue("[S]\r\n" + huge + "\r\nk=1\r\n", "S", "k"), "1");
    EXPECT_EQ(findProfileValue("[S]\r\nk=" + huge, "S", "k"), huge);
    EXPECT_EQ(findProfileValue("[S]" + huge, "S", "k"), std::nullopt);
    EXPECT_EQ(findProfileValue(std::string(5000, '\0'), "S", "k"), std::nullopt);
}

struct WriteCase {
    const char* name;
    std::string content;
    std::string section;
    std::string key;
    std::string value;
    std::string expected;
};

std::ostream& operator<<(std::ostream& out, const WriteCase& row) { return out << row.name; }

class WithProfileValue : public ::testing::TestWithParam<WriteCase> {};

TEST_P(WithProfileValue, KeepsEveryOtherByte) {
    const WriteCase& row = GetParam();
    const std::string written = withProfileValue(row.content, row.section, row.key, row.value);
    EXPECT_EQ(written, row.expected);
    // What was written reads back as it stands in the file, and writing it again finds the same line.
    std::string_view value = row.value;
    const std::string_view blanks = " \t\v\f";
    value.remove_prefix(std::min(value.find_first_not_of(blanks), value.size()));
    value.remove_suffix(value.size() - std::min(value.find_last_not_of(blanks) + 1, value.size()));
    EXPECT_EQ(findProfileValue(written, row.section, row.key), std::string(value));
    EXPECT_EQ(withProfileValue(written, row.section, row.key, row.value), written);
}

const std::string kCommented =
    "; product registry\r\n"
    "\r\n"
    "[Other]\r\n"
    "Path=D:\\Other\r\n"
    "\r\n"
    "[Kelvane]\r\n"
    "  Path = C:\\Kelvane  \r\n"
    "# not a comment\r\n"
    "Version=3.1\r\n"
    "; trailing comment\r\n"
    "\r\n"
    "[Last]\r\n"
    "x=1\r\n";

INSTANTIATE_TEST_SUITE_P(
    Rules, WithProfileValue,
    ::testing::Values(
        WriteCase{"NewFile", "", "Kelvane", "Version", "4.0", "[Kelvane]\r\nVersion=4.0\r\n"},
        WriteCase{
            "ReplaceInPlaceAmongComments", kCommented, "Kelvane", "Version", "4.0",
            "; product registry\r\n\r\n[Other]\r\nPath=D:\\Other\r\n\r\n[Kelvane]\r\n  Path = C:\\Kelvane  "
            "\r\n# not a comment\r\nVersion=4.0\r\n; trailing comment\r\n\r\n[Last]\r\nx=1\r\n"},
        WriteCase{
            "NewKeyBeforeTrailingCommentsAndBlanks", kCommented, "kelvane", "Build", "17",
            "; product registry\r\n\r\n[Other]\r\nPath=D:\\Other\r\n\r\n[Kelvane]\r\n  Path = C:\\Kelvane  "
            "\r\n# not a comment\r\nVersion=3.1\r\nBuild=17\r\n; trailing comment\r\n\r\n[Last]\r\nx=1\r\n"},
        WriteCase{"NewSectionAppendedWithoutBlankLine", kCommented, "Nouveau", "Version", "1",
                  kCommented + "[Nouveau]\r\nVersion=1\r\n"},
        WriteCase{"RewriteKeepsKeySpellingAndLoneLf", "[S]\nVERSION = 1 \n[T]\n", "s", "version", "2",
                  "[S]\nVERSION=2\n[T]\n"},
        WriteCase{"RewriteKeepsLoneCr", "[S]\rk=1\rj=2\r", "S", "k", "9", "[S]\rk=9\rj=2\r"},
        WriteCase{"RewriteLineWithoutLineEndGetsCrLf", "[S]\r\nk=1", "S", "k", "22", "[S]\r\nk=22\r\n"},
        WriteCase{"RewriteLoneLfLastLineWithoutLineEnd", "[S]\nj=2\nk=1", "S", "k", "3", "[S]\nj=2\nk=3\r\n"},
        WriteCase{"ValueLosesItsSurroundingBlanks", "[S]\r\nk=1\r\n", "S", "k", " \ta b\v\f ",
                  "[S]\r\nk=a b\r\n"},
        WriteCase{"ArgumentSpacesTrimmed", "", "  S ", " k ", "v", "[S]\r\nk=v\r\n"},
        WriteCase{"TabAfterSectionTrimmed", "", "K\t", "V", "1", "[K]\r\nV=1\r\n"},
        WriteCase{"VerticalTabAndFormFeedAroundNamesTrimmed", "[K]\r\nV=1\r\n", "\vK\f", "\fV\v", "2",
                  "[K]\r\nV=2\r\n"},
        WriteCase{"NewSectionAfterMissingFinalLineEnd", "[A]\r\nx=1", "S", "k", "v",
                  "[A]\r\nx=1\r\n[S]\r\nk=v\r\n"},
        WriteCase{"NewSectionAfterFinalLoneLf", "[A]\nx=1\n", "S", "k", "v", "[A]\nx=1\n[S]\r\nk=v\r\n"},
        WriteCase{"NewKeyInSectionWithoutKeys", "[S]\r\n; note\r\n\r\n[T]\r\n", "S", "k", "v",
                  "[S]\r\nk=v\r\n; note\r\n\r\n[T]\r\n"},
        WriteCase{"NewKeyAfterHeaderWithoutLineEnd", "[A]\r\n[S]", "S", "k", "v", "[A]\r\n[S]\r\nk=v\r\n"},
        WriteCase{"NewKeyAfterLastKeyWithoutLineEnd", "[S]\r\na=1", "S", "k", "v", "[S]\r\na=1\r\nk=v\r\n"},
        WriteCase{"NewKeyAfterLastKeyNotAfterGarbage", "[S]\r\na=1\r\nno key here\r\n", "S", "k", "v",
                  "[S]\r\na=1\r\nk=v\r\nno key here\r\n"},
        WriteCase{"OnlyFirstSectionOfANameWritten", "[S]\r\na=1\r\n[S]\r\nk=1\r\n", "S", "k", "2",
                  "[S]\r\na=1\r\nk=2\r\n[S]\r\nk=1\r\n"},
        WriteCase{"OnlyFirstMatchingKeyRewritten", "[S]\r\nk=1\r\nk=2\r\n", "S", "K", "3",
                  "[S]\r\nk=3\r\nk=2\r\n"},
        WriteCase{"CommentedKeyUntouched", "[S]\r\n;k=1\r\n", "S", "k", "2", "[S]\r\nk=2\r\n;k=1\r\n"},
        WriteCase{"OtherLinesWithNulKept", "[S]\r\nj=\0\0\r\n"s, "S", "k", "v", "[S]\r\nj=\0\0\r\nk=v\r\n"s},
        WriteCase{"MixedLineEndsKept", "[A]\rx=1\n[S]\r\na=1\n\rb", "S", "k", "v",
                  "[A]\rx=1\n[S]\r\na=1\nk=v\r\n\rb"}),
    [](const ::testing::TestParamInfo<WriteCase>& info) { return std::string(info.param.name); });

struct RemoveCase {
    const char* name;
    std::string content;
    std::string section;
    std::string key;
    std::string expected;
};

std::ostream& operator<<(std::ostream& out, const RemoveCase& row) { return out << row.name; }

class WithoutProfileValue : public ::testing::TestWithParam<RemoveCase> {};

TEST_P(WithoutProfileValue, RemovesTheKeyAndKeepsEveryOtherByte) {
    const RemoveCase& row = GetParam();
    const std::string removed = withoutProfileValue(row.content, row.section, row.key);
    EXPECT_EQ(removed, row.expected);
    EXPECT_EQ(findProfileValue(removed, row.section, row.key), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, WithoutProfileValue,
    ::testing::Values(
        RemoveCase{
            "KeyAmongCommentsAndOtherKeys", kCommented, "Kelvane", "Version",
            "; product registry\r\n\r\n[Other]\r\nPath=D:\\Other\r\n\r\n[Kelvane]\r\n"
            "  Path = C:\\Kelvane  \r\n# not a comment\r\n; trailing comment\r\n\r\n[Last]\r\nx=1\r\n"},
        RemoveCase{"SectionLeftEmptyGoesWithIt", "[A]\r\nx=1\r\n[Outils]\r\nVersion=1.5\r\n", "Outils",
                   "Version", "[A]\r\nx=1\r\n"},
        RemoveCase{"NamesInOtherLettersAndBlanks", "[kelvane]\r\n  VERSION = 2\r\nPath=x\r\n", " Kelvane ",
                   "Version", "[kelvane]\r\nPath=x\r\n"},
        RemoveCase{"AbsentKeyChangesNothing", kCommented, "Kelvane", "Missing", kCommented},
        RemoveCase{"AbsentSectionChangesNothing", kCommented, "Missing", "Version", kCommented}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WithoutProfileValue, UndoesTheStampOfANewProductByteForByte) {
    const std::string before = "[Kelvane]\r\nPath=C:\\K\r\nVersion=2.0\r\n";
    EXPECT_EQ(withoutProfileValue(withProfileValue(before, "Outils", "Version", "1.5"), "Outils", "Version"),
              before);
}

TEST(WithProfileValueRobustness, HugeLineAndNoLineEndsLoseNothing) {
    const std::string huge(100000, 'z');
    const std::string content = "[S]\r\n" + huge + "\r\na=1";
    EXPECT_EQ(withProfileValue(content, "S", "k", "v"), "[S]\r\n" + huge + "\r\na=1\r\nk=v\r\n");
    EXPECT_EQ(withProfileValue(huge, "S", "k", "v"), huge + "\r\n[S]\r\nk=v\r\n");
}

struct RefusedCase {
    const char* name;
    std::string section;
    std::string key;
    std::string value;
};

std::ostream& operator<<(std::ostream& out, const RefusedCase& row) { return out << row.name; }

class WithProfileValueRefuses : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(WithProfileValueRefuses, TextThatWouldBreakTheLayout) {
    const RefusedCase& row = GetParam();
    EXPECT_THROW(withProfileValue("[S]\r\nk=1\r\n", row.section, row.key, row.value), Failure);
}

INSTANTIATE_TEST_SUITE_P(
    Layout, WithProfileValueRefuses,
    ::testing::Values(RefusedCase{"CrInValue", "S", "k", "a\rb"}, RefusedCase{"LfInValue", "S", "k", "a\nb"},
                      RefusedCase{"NulInValue", "S", "k", "a\0b"s}, RefusedCase{"LfInKey", "S", "k\nx", "v"},
                      RefusedCase{"CrInSection", "S\r", "k", "v"},
                      RefusedCase{"NulInSection", "S\0"s, "k", "v"},
                      RefusedCase{"BracketInSection", "S]x", "k", "v"},
                      RefusedCase{"EqualsInKey", "S", "k=x", "v"}, RefusedCase{"EmptySection", "", "k", "v"},
                      RefusedCase{"BlankSection", " \t ", "k", "v"}, RefusedCase{"EmptyKey", "S", "", "v"},
                      RefusedCase{"BlankKey", "S", "  ", "v"},
                      RefusedCase{"KeyReadingAsHeader", "S", " [k", "v"},
                      RefusedCase{"KeyReadingAsComment", "S", ";k", "v"}),
    [](const ::testing::TestParamInfo<RefusedCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace setup::test
