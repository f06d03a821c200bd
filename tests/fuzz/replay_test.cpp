// Replays every input kept for the fuzz targets, the seeds and those that once broke a property, through
// the same checks the fuzzers run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "tests/fuzz/fuzz_checks.h"

namespace setup::fuzz {
namespace {

namespace fs = std::filesystem;

using Check = std::optional<std::string> (*)(std::string_view);

struct Target {
    const char* name;
    Check check;
};

constexpr Target kTargets[] = {
    {"entry_reader", checkEntryReader},       {"profile_format", checkProfileFormat},
    {"version_numbers", checkVersionNumbers}, {"seal_format", checkSealFormat},
    {"signed_texts", checkSignedTexts},
};

struct KeptInput {
    Target target;
    fs::path path;
};

const fs::path kInputs = SETUP_FUZZ_INPUTS;

/// The files of `folder` in name order; none when it does not exist.
std::vector<fs::path> filesIn(const fs::path& folder) {
    std::vector<fs::path> files;
    if (!fs::is_directory(folder)) return files;
    for (const auto& item : fs::directory_iterator(folder)) {
        if (item.is_regular_file()) files.push_back(item.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<KeptInput> keptInputs() {
    std::vector<KeptInput> inputs;
    for (const Target& target : kTargets) {
        for (const char* kind : {"corpus", "regressions"}) {
            for (const fs::path& path : filesIn(kInputs / kind / target.name))
                inputs.push_back({target, path});
        }
    }
    return inputs;
}

std::optional<std::string> readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void PrintTo(const KeptInput& input, std::ostream* out) { *out << input.path.string(); }

class KeptFuzzInput : public ::testing::TestWithParam<KeptInput> {};

TEST_P(KeptFuzzInput, HoldsEveryProperty) {
    const KeptInput& input = GetParam();
    const std::optional<std::string> bytes = readBytes(input.path);
    ASSERT_TRUE(bytes) << input.path;
    EXPECT_EQ(input.target.check(*bytes), std::nullopt) << input.path;
}

std::string testName(const ::testing::TestParamInfo<KeptInput>& info) {
    const fs::path& path = info.param.path;
    std::string name = path.parent_path().parent_path().filename().string() + "_" +
                       std::string(info.param.target.name) + "_" + path.filename().string();
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(Kept, KeptFuzzInput, ::testing::ValuesIn(keptInputs()), testName);

// The replay above would pass without a single input if the folders went missing.
TEST(KeptFuzzInputs, EveryTargetHasItsSeeds) {
    for (const Target& target : kTargets)
        EXPECT_FALSE(filesIn(kInputs / "corpus" / target.name).empty()) << target.name;
}

}  // namespace
}  // namespace setup::fuzz
