#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/path_mapping.h"
#include "platform/text_codec.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace setup::test {

/// The profile services with a fresh temporary folder as the Windows directory.
class ProfileService : public ::testing::Test {
  protected:
    TempDir m_dir;
    ScopedEnv m_windir{"WINDIR", m_dir.path().string()};
    /// The names in the Windows directory, sorted.
    std::vector<std::string> names() const {
        std::vector<std::string> result;
        for (const auto& entry : std::filesystem::directory_iterator(m_dir.path())) {
            result.push_back(toUtf8(programPath(entry.path().filename())));
        }
        std::sort(result.begin(), result.end());
        return result;
    }
};

}  // namespace setup::test
