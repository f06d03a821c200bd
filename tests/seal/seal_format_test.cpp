#include "seal/seal_format.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace setup::test {
namespace {

const std::string kAbc = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
const std::string kEmpty = "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";

struct ParseCase {
    const char* name;
    std::string bytes;
    std::vector<std::wstring> names;  ///< the names read, when well formed
    std::size_t malformedLine = 0;
};

void PrintTo(const ParseCase& row, std::ostream* out) { *out << row.name; }

class ParseSeal : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseSeal, ReadsTheNamesOrTheFirstMalformedLine) {
    const ParsedSeal seal = parseSeal(GetParam().bytes);
    EXPECT_EQ(seal.malformedLine, GetParam().malformedLine);
    std::vector<std::wstring> names;
    for (const SealLine& line : seal.lines) names.push_back(line.name);
    EXPECT_EQ(names, GetParam().names);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ParseSeal,
    ::testing::Values(
        ParseCase{
            "AsWritten", kAbc + "  a.txt\n" + kEmpty + "  modules\\b.dat\n", {L"a.txt", L"modules\\b.dat"}},
        ParseCase{"Empty", "", {}},
        ParseCase{"CrLfLineEnds", kAbc + "  a.txt\r\n" + kEmpty + "  b.txt\r\n", {L"a.txt", L"b.txt"}},
        ParseCase{"NoEndOnTheLastLine", kAbc + "  a.txt", {L"a.txt"}},
        ParseCase{"BinaryMarker", kAbc + " *a.txt\n", {L"a.txt"}},
        ParseCase{"UppercaseDigits",
                  "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD  a.txt\n",
                  {L"a.txt"}},
        ParseCase{"ByteOrderMark", "\xEF\xBB\xBF" + kAbc + "  a.txt\n", {L"a.txt"}},
        ParseCase{"SpacesAndAccents",
                  kAbc + "  notes de version \xC3\xA9t\xC3\xA9.txt\n",
                  {L"notes de version \u00E9t\u00E9.txt"}},
        ParseCase{"BlankLine", kAbc + "  a.txt\n\n", {}, 2},
        ParseCase{"ShortDigest", kAbc.substr(1) + "  a.txt\n", {}, 1},
        ParseCase{"NotHexadecimal", "g" + kAbc.substr(1) + "  a.txt\n", {}, 1},
        ParseCase{"OneSpace", kAbc + " a.txt\n", {}, 1}, ParseCase{"NoName", kAbc + "  \n", {}, 1},
        ParseCase{"NameNotUtf8", kAbc + "  \xE9t\xE9.txt\n", {}, 1},
        ParseCase{"ControlCharacterInName", kAbc + "  a\tb.txt\n", {}, 1},
        ParseCase{"LoneCarriageReturnInside", kAbc + "  a.txt\r" + kAbc + "  b.txt\n", {}, 1},
        ParseCase{"SameFileTwiceInOtherLetters", kAbc + "  a.txt\n" + kEmpty + "  .\\A.TXT\n", {}, 2},
        ParseCase{"PlainText", "aide.txt: OK\n", {}, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FormatSealLine, WritesWhatParseSealReads) {
    Sha256Digest digest{};
    digest[0] = 0xAB;
    digest[31] = 0x01;
    const std::string line = formatSealLine(digest, L"dossier \u00E9t\u00E9\\a b.txt");
    EXPECT_EQ(line, "ab" + std::string(60, '0') + "01  dossier \xC3\xA9t\xC3\xA9\\a b.txt\n");
    const ParsedSeal seal = parseSeal(line);
    ASSERT_EQ(seal.lines.size(), 1u);
    EXPECT_EQ(seal.lines[0].digest, digest);
    EXPECT_EQ(seal.lines[0].line, 1u);
}

TEST(SealNameKey, OneFileWhateverItsSpelling) {
    EXPECT_EQ(sealNameKey(L"Modules\\Calcul.DAT"), sealNameKey(L".\\modules//calcul.dat"));
    EXPECT_NE(sealNameKey(L"modules\\calcul.dat"), sealNameKey(L"modules\\calcul.dat2"));
}

}  // namespace
}  // namespace setup::test
