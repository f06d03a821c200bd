#include <gtest/gtest.h>

#include <string>

#include "platform/path_mapping.h"

namespace setup::test {
namespace {

struct InsideCase {
    const char* name;
    const wchar_t* relative;
    bool inside;
};

class StaysInsideBase : public ::testing::TestWithParam<InsideCase> {};

TEST_P(StaysInsideBase, Decides) { EXPECT_EQ(staysInsideBase(GetParam().relative), GetParam().inside); }

const InsideCase kInsideCases[] = {
    {"PlainName", L"file.txt", true},
    {"SubFolder", L"sub\\file.txt", true},
    {"EmptyIsTheBaseItself", L"", true},
    {"DotFirst", L".\\file.txt", true},
    {"DownAndBack", L"a\\..\\b", true},
    {"BackToTheBase", L"a\\..", true},
    {"ThreeDotsIsAName", L"...\\x", true},
    {"DigitColonIsNoDrive", L"1:x", true},
    {"ParentFirst", L"..\\outside.txt", false},
    {"ParentWithSlashes", L"../outside.txt", false},
    {"ClimbsAboveAfterDescending", L"a\\..\\..\\b", false},
    {"ClimbsAboveAndComesBack", L"sub\\..\\..\\sub\\x", false},
    {"DriveLetter", L"C:\\x", false},
    {"DriveRelative", L"c:x", false},
    {"LeadingBackslashNamesTheBase", L"\\modules\\x.dll", true},
    {"LeadingSlashNamesTheBase", L"/etc/passwd", true},
    {"RepeatedLeadingSeparatorsNameTheBase", L"\\\\server\\share", true},
    {"LeadingBackslashThenParent", L"\\..\\outside.txt", false},
    {"LeadingBackslashThenDriveLetter", L"\\C:\\x", false},
};

INSTANTIATE_TEST_SUITE_P(PathMapping, StaysInsideBase, ::testing::ValuesIn(kInsideCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace setup::test
