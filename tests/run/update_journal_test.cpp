#include "run/update_journal.h"

#include <gtest/gtest.h>

#include <string>

namespace setup {
namespace {

const Journal kJournal{{L"modules", L"modules/extra"},
                       {{L"kelvane.exe", L"kelvane.exe.setup-new", true},
                        {L"modules/extra/caf\u00E9.dll", L".setup-1.setup-new", false}},
                       true};

TEST(UpdateJournal, ReadsBackWhatIsWritten) {
    const std::string text = formatJournal(kJournal);
    EXPECT_EQ(text,
              "Kelvane update journal 1\nregistry\nfolder\tmodules\nfolder\tmodules/extra\n"
              "replace\tkelvane.exe\tkelvane.exe.setup-new\nadd\tmodules/extra/"
              "caf\xC3\xA9.dll\t.setup-1.setup-new\n"
              "end\n");
    EXPECT_EQ(parseJournal(text), kJournal);
    EXPECT_EQ(parseJournal(formatJournal(Journal{})), Journal{});
}

TEST(UpdateJournal, RefusesWhatIsNoWholeJournal) {
    const std::string whole = formatJournal(kJournal);
    struct Row {
        const char* name;
        std::string text;
    };
    const Row rows[] = {
        {"empty", ""},
        {"cut before its end line", whole.substr(0, whole.size() - 4)},
        {"cut inside its end line", whole.substr(0, whole.size() - 1)},
        {"another heading", "Kelvane update journal 2\nend\n"},
        {"a line of no known kind", "Kelvane update journal 1\nmove\ta\tb\nend\n"},
        {"a file line without its staged copy", "Kelvane update journal 1\nadd\ta\nend\n"},
        {"something after the end line", whole + "add\ta\tb\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(parseJournal(row.text), std::nullopt);
    }
}

}  // namespace
}  // namespace setup
