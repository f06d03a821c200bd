#include "tests/check/rule_cases.h"

#include <exception>
#include <filesystem>
#include <system_error>

#include "staging/journal.h"
#include "staging/staged_update.h"

namespace setup::test {

namespace {

using check::Rule;

namespace fs = std::filesystem;

/// A whole journal of a run that was adding `file` to the installation.
std::string journalAdding(const std::wstring& file) {
    return formatJournal({L"0123abcd", 1, {}, {{file, false}}, {}});
}

/// Lays out a journal at the installation's top.
std::function<bool(const UpdateRun&)> journal(const wchar_t* name, std::string text) {
    return [name, text](const UpdateRun& run) {
        writeFile(run.installation / fs::path(name), text);
        return true;
    };
}

/// A folder, with something in it, at the place of a file.
bool folderAtPlace(const UpdateRun& run) {
    writeFile(run.installation / "dirhere" / "keep.txt", "kept");
    return true;
}

/// A link in the installation to a folder outside it.
bool linkLeaving(const UpdateRun& run) {
    writeFile(run.root / "outside" / "x.txt", "outside");
    std::error_code error;
    fs::create_directory_symlink(run.root / "outside", run.installation / "ext", error);
    // Wine answers that it made the link and makes none.
    return !error && fs::exists(run.installation / "ext" / "x.txt");
}

/// An update file whose name holds a tab, which only some systems allow.
bool fileWithTab(const UpdateRun& run) {
    try {
        writeFile(run.updateFolder / "a\tb.txt", "content");
        return fs::exists(run.updateFolder / "a\tb.txt");
    } catch (const std::exception&) {
        return false;
    }
}

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
        {"StagedCopyNameIsSetupsOwn",
         {";T\r\nnotes.setup-new\r\n", {"notes.setup-new"}},
         {{Rule::OwnFileName, 2}}},
        {"SetupsOwnNamesInOtherLettersAndOnAFolder",
         {";T\r\n.Setup-Journal\r\nOld.SETUP-OLD\\a.txt\r\n", {".Setup-Journal", "Old.SETUP-OLD/a.txt"}},
         {{Rule::OwnFileName, 2}, {Rule::OwnFileName, 3}}},
        {"TabInAName", {";T\r\n\"a\tb.txt\"\r\n", {}}, {{Rule::MissingFile, 2}, {Rule::ControlCharacter, 2}}},
        {"LineEndInAName",
         {";T\r\n\"a\r\nb.txt\"\r\n", {}},
         {{Rule::MissingFile, 2}, {Rule::ControlCharacter, 2}}},
        {"TabInAVersionOrItsProduct",
         {";T\r\n\"#3.1\t\"\r\n\"#3.1[Kel\tvane]\"\r\n", {}},
         {{Rule::ControlCharacter, 2}, {Rule::ControlCharacter, 3}}},
        // The file itself is left out: a name this long passes some systems' limit for a whole path.
        {"NameWithNoRoomForItsStagedCopy",
         {";T\r\n" + std::string(250, 'n') + "\r\n", {}},
         {{Rule::MissingFile, 2}, {Rule::NameTooLong, 2}}},
        {"NameThatLeavesRoomForItsStagedCopy",
         {";T\r\n" + std::string(245, 'n') + "\r\n", {}},
         {{Rule::MissingFile, 2}}},
        {"RefusalsAmongAcceptedEntries",
         {";T\r\na.txt,x.setup-new\r\nb.txt\r\n#2.0\r\n\"#3.1\t\"\r\n", {"a.txt", "x.setup-new", "b.txt"}},
         {{Rule::OwnFileName, 2}, {Rule::ControlCharacter, 5}}},
        {"PathOutsideTheUpdateFolderTwice",
         {";T\r\n..\\x.txt\r\n..\\X.TXT\r\n", {}},
         {{Rule::OutsideUpdateFolder, 2}, {Rule::FileListedTwice, 3}, {Rule::OutsideUpdateFolder, 3}}},
        {"EntryNamingTheInstallationItself",
         {";T\r\n.\r\n\\\r\n", {}},
         {{Rule::MissingFile, 2}, {Rule::InstallationItself, 2}, {Rule::InstallationItself, 3}},
         {Rule::FileListedTwice}},
        {"RangeLeavingAWarningIsShownAgain",
         {";T\r\n\xA7!1\r\n", {}},
         {{Rule::VersionWithoutNumber, 2}, {Rule::LastWarningRepeated, 2}}},
    };
}

std::vector<InstallationCase> installationCases() {
    const std::string copyA = ";T\r\na.txt\r\n";
    return {
        {"PlainUpdateApplies", {copyA, {"a.txt"}}, {}, 0},
        {"OwnFileName", {";T\r\nnotes.setup-old\r\n", {"notes.setup-old"}}, {}, 1},
        {"OwnFileNameInOtherLetters", {";T\r\nsub\\.Setup-Journal\r\n", {"sub/.Setup-Journal"}}, {}, 1},
        {"TabInAName", {";T\r\n\"a\tb.txt\"\r\n", {}}, fileWithTab, 1},
        {"FolderAtAFilesPlace", {";T\r\ndirhere\r\n", {"dirhere"}}, folderAtPlace, 2},
        {"LinkLeavingTheInstallation", {";T\r\next\\x.txt\r\n", {"ext/x.txt"}}, linkLeaving, 2},
        {"InterruptedUpdateIsUndoneFirst",
         {copyA, {"a.txt"}},
         journal(kJournalName, journalAdding(L"b.txt")),
         0},
        {"FinalUpdateIsCleanedUpFirst",
         {copyA, {"a.txt"}},
         journal(kFinalJournalName, journalAdding(L"b.txt")),
         0},
        {"JournalCutShortIsRemoved",
         {copyA, {"a.txt"}},
         journal(kJournalName, "Kelvane update journal 2\nrun\t01"),
         0},
        {"FinalJournalCutShortStops",
         {copyA, {"a.txt"}},
         journal(kFinalJournalName, "Kelvane update journal 2\nrun\t01"),
         2},
        {"ForeignJournalStops", {copyA, {"a.txt"}}, journal(kJournalName, "not a journal\n"), 2},
        {"JournalNamingAFolderStops",
         {copyA, {"a.txt"}},
         [](const UpdateRun& run) {
             return folderAtPlace(run) && journal(kJournalName, journalAdding(L"dirhere"))(run);
         },
         2},
    };
}

}  // namespace setup::test
