#include "tests/check/rule_cases.h"

namespace setup::test {

namespace {

using check::Rule;

std::string manyCopies(int count) {
    std::string list = ";T\r\n";
    for (int i = 0; i < count; ++i) list += "a.txt\r\n";
    return list;
}

}  // namespace

std::vector<RuleCase> ruleCases() {
    return {
        {"CleanList",
         {";T\r\n\"!Lisez, puis OK\"\r\n\xA7"
          "1.0|2.0\r\n@a.txt\r\na.txt,b\\c.txt\r\n#3.1\r\n#1.5[Outils]\r\n",
          {"a.txt", "b/c.txt"}},
         {}},
        {"NoList", {"", {}}, {{Rule::NoList, 0}}},
        {"Utf8SectionSignMakesAFileEntry",
         {";T\r\n\xC2\xA7"
          "1.0|2.0\r\n",
          {}},
         {{Rule::NotWindows1252, 2}, {Rule::MissingFile, 2}}},
        {"Utf8ByteOrderMarkHidesTheTitle",
         {"\xEF\xBB\xBF;T\r\n", {}},
         {{Rule::NotWindows1252, 1}, {Rule::MissingFile, 1}, {Rule::NoTitle, 0}}},
        {"UnclosedQuote", {";T\r\n#3.1\r\n\"!Lisez\r\n", {}}, {{Rule::UnclosedQuote, 3}}},
        {"BracketIsTheLastCharacter",
         {";T\r\n\xA7"
          "1.0|2.0[\r\n",
          {}},
         {{Rule::SectionNotClosed, 2}}},
        {"SectionWithoutClosingBracket", {";T\r\n#3.1[Outils\r\n", {}}, {{Rule::SectionNotClosed, 2}}},
        {"VersionWithoutNumber",
         {";T\r\n\xA7V2|3\r\n#beta\r\n#\r\n", {}},
         {{Rule::VersionWithoutNumber, 2}, {Rule::VersionWithoutNumber, 3}, {Rule::VersionWithoutNumber, 4}}},
        {"BlankBoundsAreNoMistake",
         {";T\r\n\xA7|2.0\r\n\xA7"
          "1.0|\r\n",
          {}},
         {}},
        {"PathOutsideTheUpdateFolder",
         {";T\r\n..\\x.txt\r\nc:x.txt\r\n", {}},
         {{Rule::OutsideUpdateFolder, 2}, {Rule::OutsideUpdateFolder, 3}}},
        {"MissingFile", {";T\r\na.txt\r\n sub\\b.txt\r\n", {"a.txt"}}, {{Rule::MissingFile, 3}}},
        {"FolderIsNoFile", {";T\r\nsub\r\n", {"sub/b.txt"}}, {{Rule::MissingFile, 2}}, {Rule::FileNotNamed}},
        {"EmptyEntries",
         {";T\r\na.txt,\r\n\r\n   \r\n", {"a.txt"}},
         {{Rule::EmptyEntry, 2}, {Rule::EmptyEntry, 3}, {Rule::EmptyEntry, 4}}},
        {"TooManyCopyEntries",
         {manyCopies(32768), {"a.txt"}},
         {{Rule::TooManyEntries, 32769}},
         {Rule::FileListedTwice},
         true},
        {"NoProgramBesideTheList", {";T\r\n", {}, false}, {{Rule::NoProgram, 0}}},
        {"WarningCutAtAComma",
         {";T\r\n!Fermez Kelvane, puis OK\r\n#1\r\n", {}},
         {{Rule::WarningCutAtComma, 2}, {Rule::MissingFile, 2}}},
        {"TextAfterTheSection",
         {";T\r\n\xA7"
          "1.0|2.0[Outils]x\r\n",
          {}},
         {{Rule::TextAfterSection, 2}}},
        {"NoTitle", {"a.txt\r\n", {"a.txt"}}, {{Rule::NoTitle, 0}}},
        {"TitleNotFirst", {"a.txt\r\n;T\r\n", {"a.txt"}}, {{Rule::TitleNotFirst, 2}}},
        {"SameFileTwice", {";T\r\na.txt\r\n.\\A.TXT \r\n", {"a.txt"}}, {{Rule::FileListedTwice, 3}}},
        {"FileNotNamed", {";T\r\na.txt\r\n", {"a.txt", "sub/extra.txt"}}, {{Rule::FileNotNamed, 0}}},
        {"LastWarningShownAgain", {";T\r\n!Lisez ceci\r\n", {}}, {{Rule::LastWarningRepeated, 2}}},
        {"RangeLeavingAWarningIsShownAgain",
         {";T\r\n\xA7!1\r\n", {}},
         {{Rule::VersionWithoutNumber, 2}, {Rule::LastWarningRepeated, 2}}},
    };
}

}  // namespace setup::test
