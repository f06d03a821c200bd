#include "platform/text_codec.h"

#include <gtest/gtest.h>

#include <string>

namespace setup::test {
namespace {

struct AnsiCase {
    const char* name;
    unsigned char byte;
    wchar_t wide;
};

class AnsiByte : public ::testing::TestWithParam<AnsiCase> {};

TEST_P(AnsiByte, DecodesAndEncodesBack) {
    const std::string byte(1, static_cast<char>(GetParam().byte));
    EXPECT_EQ(fromAnsi(byte), std::wstring(1, GetParam().wide));
    EXPECT_EQ(toAnsi(std::wstring(1, GetParam().wide)), byte);
}

const AnsiCase kAnsiCases[] = {
    {"Nul", 0x00, L'\0'},
    {"Letter", 'A', L'A'},
    {"Euro", 0x80, L'\u20AC'},
    {"SCaron", 0x8A, L'\u0160'},
    {"OELigature", 0x8C, L'\u0152'},
    {"RightQuote", 0x92, L'\u2019'},
    {"YDiaeresis", 0x9F, L'\u0178'},
    {"NoBreakSpace", 0xA0, L'\u00A0'},
    {"Section", 0xA7, L'\u00A7'},
    {"EAcute", 0xE9, L'\u00E9'},
    {"LastByte", 0xFF, L'\u00FF'},
};

INSTANTIATE_TEST_SUITE_P(TextCodec, AnsiByte, ::testing::ValuesIn(kAnsiCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TextCodec, EveryDefinedByteRoundTripsAndUndefinedOnesBecomeReplacement) {
    for (int b = 0; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        const std::wstring wide = fromAnsi(byte);
        ASSERT_EQ(wide.size(), 1u);
        const bool undefined = b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
        if (undefined) {
            EXPECT_EQ(wide[0], L'\uFFFD') << b;
            EXPECT_EQ(toAnsi(wide), "?") << b;
        } else {
            EXPECT_NE(wide[0], L'\uFFFD') << b;
            EXPECT_EQ(toAnsi(wide), byte) << b;
        }
    }
}

TEST(TextCodec, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    EXPECT_EQ(toAnsi(L"a\u4E2Db\U0001F600\u0100"), "a?b??");
}

struct Utf8Case {
    const char* name;
    std::string bytes;
    std::wstring wide;
};

class Utf8Valid : public ::testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8Valid, RoundTrips) {
    EXPECT_EQ(fromUtf8(GetParam().bytes), GetParam().wide);
    EXPECT_EQ(toUtf8(GetParam().wide), GetParam().bytes);
}

const Utf8Case kValidUtf8[] = {
    {"Empty", "", L""},
    {"Ascii", "setup.lst", L"setup.lst"},
    {"TwoBytes", "\xC3\xA9t\xC3\xA9", L"\u00E9t\u00E9"},
    {"ThreeBytes", "\xE2\x82\xAC", L"\u20AC"},
    {"FourBytes", "\xF0\x9F\x98\x80", L"\U0001F600"},
    {"LastCodePoint", "\xF4\x8F\xBF\xBF", L"\U0010FFFF"},
};

INSTANTIATE_TEST_SUITE_P(TextCodec, Utf8Valid, ::testing::ValuesIn(kValidUtf8),
                         [](const auto& info) { return std::string(info.param.name); });

class Utf8Invalid : public ::testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8Invalid, BecomesReplacement) { EXPECT_EQ(fromUtf8(GetParam().bytes), GetParam().wide); }

const Utf8Case kInvalidUtf8[] = {
    {"LoneLeadAtEnd", "a\xC3", L"a\uFFFD"},
    {"LoneContinuation", "\x80x", L"\uFFFDx"},
    {"TruncatedBeforeAscii", "\xE2\x82x", L"\uFFFDx"},
    {"Overlong", "\xC0\xAF", L"\uFFFD\uFFFD"},
    {"OverlongThreeBytes", "\xE0\x80\xAF", L"\uFFFD\uFFFD\uFFFD"},
    {"Surrogate", "\xED\xA0\x80", L"\uFFFD\uFFFD\uFFFD"},
    {"BeyondLastCodePoint", "\xF4\x90\x80\x80", L"\uFFFD\uFFFD\uFFFD\uFFFD"},
    {"ByteNeverUsed", "\xFF", L"\uFFFD"},
};

INSTANTIATE_TEST_SUITE_P(TextCodec, Utf8Invalid, ::testing::ValuesIn(kInvalidUtf8),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TextCodec, UnencodableWideCharactersBecomeReplacementInUtf8) {
    EXPECT_EQ(toUtf8(std::wstring(1, static_cast<wchar_t>(0xD800))), "\xEF\xBF\xBD");
}

struct CaseCase {
    const char* name;
    const wchar_t* a;
    const wchar_t* b;
    bool equal;
};

class IgnoringCase : public ::testing::TestWithParam<CaseCase> {};

TEST_P(IgnoringCase, Compares) {
    EXPECT_EQ(equalIgnoringCase(GetParam().a, GetParam().b), GetParam().equal);
    EXPECT_EQ(equalIgnoringCase(GetParam().b, GetParam().a), GetParam().equal);
}

const CaseCase kCaseCases[] = {
    {"AsciiLetters", L"Setup.lst", L"SETUP.LST", true},
    {"DifferentLength", L"setup.lst", L"setup.lst ", false},
    {"DifferentLetter", L"setup.lst", L"setup.lsu", false},
    {"BracketsAreNoLetters", L"[", L"{", false},
    {"AccentedLetters", L"\u00C9t\u00C9", L"\u00E9t\u00E9", true},
    {"Thorn", L"\u00DE", L"\u00FE", true},
    {"TimesAndDivideDiffer", L"\u00D7", L"\u00F7", false},
    {"SharpSHasNoCapital", L"\u00DF", L"SS", false},
    {"SCaron", L"\u0160", L"\u0161", true},
    {"OELigature", L"\u0152", L"\u0153", true},
    {"ZCaron", L"\u017D", L"\u017E", true},
    {"YDiaeresis", L"\u0178", L"\u00FF", true},
    {"AccentMatters", L"e", L"\u00E9", false},
};

INSTANTIATE_TEST_SUITE_P(TextCodec, IgnoringCase, ::testing::ValuesIn(kCaseCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TextCodec, FoldCaseLeavesOtherCharactersAlone) {
    for (wchar_t c : {L'1', L'_', L'\u00B5', L'\u00DF', L'\u00F7', L'\u00D7', L'\u4E2D'}) {
        EXPECT_EQ(foldCase(c), c) << static_cast<int>(c);
    }
}

}  // namespace
}  // namespace setup::test
