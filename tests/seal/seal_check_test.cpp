#include "seal/seal_check.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/path_mapping.h"
#include "seal/seal_writer.h"
#include "tests/support/temp_dir.h"

namespace setup::test {
namespace {

namespace fs = std::filesystem;

const std::wstring kAccented = L"notes de version \u00E9t\u00E9.txt";
const std::vector<std::wstring> kCopied = {L"a.txt", kAccented, L"modules\\calcul.dat"};

/// An update folder sealed for kCopied, then changed by a row.
struct SealedFolder {
    SealedFolder() {
        writeFile(dir / "a.txt", "contenu de a");
        writeFile(dir / fs::path(u8"notes de version \u00E9t\u00E9.txt"), "notes");
        writeFile(dir / "modules" / "calcul.dat", std::string(3000, 'c'));
        writeSeal(folder(), digestUpdateFiles(folder(), kCopied));
    }
    std::wstring folder() const { return programPath(dir.path()); }
    std::string seal() const { return readFile(dir / "setup.sum"); }
    void setSeal(const std::string& bytes) const { writeFile(dir / "setup.sum", bytes); }

    TempDir dir;
};

struct CheckCase {
    const char* name;
    std::function<void(const SealedFolder&)> change;
    std::optional<SealProblemKind> kind;  ///< the first problem, none when the update is sound
    std::wstring file = L"";
    std::size_t sealLine = 0;
    std::vector<std::wstring> copied = kCopied;
};

void PrintTo(const CheckCase& row, std::ostream* out) { *out << row.name; }

class FirstSealProblem : public ::testing::TestWithParam<CheckCase> {};

TEST_P(FirstSealProblem, NamesTheFileAndWhatIsWrong) {
    const SealedFolder update;
    GetParam().change(update);
    const std::vector<SealProblem> problems = sealProblems(update.folder(), GetParam().copied);
    const std::optional<SealProblem> problem =
        problems.empty() ? std::nullopt : std::optional<SealProblem>(problems.front());
    ASSERT_EQ(problem.has_value(), GetParam().kind.has_value());
    if (!problem) return;
    EXPECT_EQ(problem->kind, *GetParam().kind);
    EXPECT_EQ(problem->name, GetParam().file);
    EXPECT_EQ(problem->sealLine, GetParam().sealLine);
}

void nothing(const SealedFolder&) {}

std::string withoutLine(std::string text, std::size_t index) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < index; ++i) start = text.find('\n', start) + 1;
    return text.erase(start, text.find('\n', start) + 1 - start);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FirstSealProblem,
    ::testing::Values(
        CheckCase{"Sound", nothing, std::nullopt},
        CheckCase{"OneByteChanged", [](const SealedFolder& u) { writeFile(u.dir / "a.txt", "contenu de b"); },
                  SealProblemKind::Damaged, L"a.txt", 1},
        CheckCase{"CutShort",
                  [](const SealedFolder& u) { fs::resize_file(u.dir / "modules" / "calcul.dat", 1000); },
                  SealProblemKind::Damaged, L"modules\\calcul.dat", 3},
        CheckCase{"FileMissing", [](const SealedFolder& u) { fs::remove(u.dir / "a.txt"); },
                  SealProblemKind::Missing, L"a.txt", 1},
        CheckCase{"SealLineMissing", [](const SealedFolder& u) { u.setSeal(withoutLine(u.seal(), 1)); },
                  SealProblemKind::NotSealed, kAccented},
        CheckCase{"ExtraLine",
                  [](const SealedFolder& u) { u.setSeal(u.seal() + std::string(64, '0') + "  autre.txt\n"); },
                  SealProblemKind::NotCopied, L"autre.txt", 4},
        CheckCase{"ListLostAnEntry",
                  nothing,
                  SealProblemKind::NotCopied,
                  L"modules\\calcul.dat",
                  3,
                  {L"a.txt", kAccented}},
        CheckCase{"WrongFormat", [](const SealedFolder& u) { u.setSeal(u.seal() + "a.txt: OK\n"); },
                  SealProblemKind::SealMalformed, L"setup.sum", 4},
        CheckCase{"SealIsAFolder",
                  [](const SealedFolder& u) {
                      fs::remove(u.dir / "setup.sum");
                      fs::create_directory(u.dir / "setup.sum");
                  },
                  SealProblemKind::SealUnreadable, L"setup.sum"},
        CheckCase{"SavedWithCrLf",
                  [](const SealedFolder& u) {
                      std::string crlf;
                      for (char c : u.seal()) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
                      u.setSeal(crlf);
                  },
                  std::nullopt},
        CheckCase{"NoSealChecksNothing",
                  [](const SealedFolder& u) {
                      fs::remove(u.dir / "setup.sum");
                      writeFile(u.dir / "a.txt", "contenu de b");
                  },
                  std::nullopt},
        CheckCase{"NamedTwiceInOtherLetters",
                  nothing,
                  std::nullopt,
                  L"",
                  0,
                  {L"a.txt", kAccented, L"modules\\calcul.dat", L".\\A.TXT"}},
        CheckCase{"NameOutsideTheFolderIsLeftToTheCopy",
                  nothing,
                  std::nullopt,
                  L"",
                  0,
                  {L"a.txt", kAccented, L"modules\\calcul.dat", L"..\\dehors.txt"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SealProblems, ListsEveryProblemCheapOnesFirst) {
    const SealedFolder update;
    writeFile(update.dir / "a.txt", "contenu de b");
    update.setSeal(withoutLine(update.seal(), 2));
    const std::vector<SealProblem> problems = sealProblems(update.folder(), kCopied);
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(problems[0].kind, SealProblemKind::NotSealed);
    EXPECT_EQ(problems[0].name, L"modules\\calcul.dat");
    EXPECT_EQ(problems[1].kind, SealProblemKind::Damaged);
    EXPECT_EQ(problems[1].name, L"a.txt");
}

TEST(DigestUpdateFiles, SealsAFileNamedTwiceOnceUnderItsFirstName) {
    const SealedFolder update;
    const std::vector<SealedFile> files =
        digestUpdateFiles(update.folder(), {L"a.txt", L"modules\\calcul.dat", L"A.TXT"});
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].name, L"a.txt");
    EXPECT_EQ(files[1].name, L"modules\\calcul.dat");
}

TEST(DigestUpdateFiles, RefusesAFileThatCannotBeRead) {
    const SealedFolder update;
    EXPECT_THROW(digestUpdateFiles(update.folder(), {L"a.txt", L"absent.txt"}), std::exception);
}

}  // namespace
}  // namespace setup::test
