// The journal read back is the journal written, and a journal cut short by a crash never reads as whole.
#include "staging/journal.h"

#include <gtest/gtest.h>

#include <string>

namespace setup {
namespace {

const Journal kJournal{
    L"20261207-205305-4242",
    4242,
    {L"a", L"a/b"},
    {{L"kelvane.exe", true}, {L"a/b/caf\u00E9.txt", false}, {L"modules/calcul.dll", true}},
    {{L"Kelvane", L"Version", L"3.0"}, {L"Atelier", L"Version", std::nullopt}},
};

TEST(JournalText, ReadsBackWhatIsWritten) {
    for (const Journal& journal : {kJournal, Journal{L"r", 1, {}, {}, {}}}) {
        const ParsedJournal parsed = parseJournal(formatJournal(journal));
        EXPECT_EQ(parsed.state, JournalText::Whole)
            << std::string(parsed.reason.begin(), parsed.reason.end());
        EXPECT_EQ(parsed.journal, journal);
    }
}

TEST(JournalText, CutShortIsNeverWhole) {
    const std::string whole = formatJournal(kJournal);
    const std::size_t heading = whole.find('\n') + 1;
    for (std::size_t length = 0; length < whole.size(); ++length) {
        const std::string prefix = whole.substr(0, length);
        SCOPED_TRACE(prefix);
        const JournalText state = parseJournal(prefix).state;
        EXPECT_NE(state, JournalText::Whole);
        if (length >= heading && whole[length - 1] == '\n') {
            EXPECT_EQ(state, JournalText::CutShort) << "every line so far is whole";
        }
    }
}

TEST(JournalText, RefusesWhatFollowsItsEndOrPassesItsChecks) {
    const std::string whole = formatJournal(kJournal);
    const std::string body = whole.substr(0, whole.size() - 4);  // without "end\n"
    struct Row {
        const char* name;
        std::string text;
    };
    const Row rows[] = {
        {"something after the end line", whole + "new\tx\tx.setup-new\n"},
        {"another heading", "garbage\n" + whole.substr(whole.find('\n') + 1)},
        {"a moved-aside name that is not its own", body + "replace\tx\tx.setup-new\ty.setup-old\nend\n"},
        {"a staged name for another file", body + "new\tx\ty.setup-new\nend\n"},
        {"a folder named by \".\"", body + "folder\ta/./b\nend\n"},
        {"an empty component", body + "folder\ta//b\nend\n"},
        {"a backslash", body + "folder\ta\\b\nend\n"},
        {"a drive", body + "folder\tC:/a\nend\n"},
        {"a line of no known kind", body + "move\ta\tb\nend\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(parseJournal(row.text).state, JournalText::Rejected);
    }
}

}  // namespace
}  // namespace setup
