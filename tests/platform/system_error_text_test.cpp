#include "platform/system_error_text.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

namespace setup::test {
namespace {

// A failure's reason ends with the system's own words for its error, and on Windows with its number too,
// which is what an administrator looks up.
TEST(SystemErrorText, IsTheSystemsOwnTextForTheError) {
#ifdef _WIN32
    const std::string text = systemErrorText(ERROR_SHARING_VIOLATION);
    EXPECT_TRUE(text.ends_with("(erreur Windows 32)")) << text;
    EXPECT_GT(text.size(), std::string(" (erreur Windows 32)").size()) << text;
    EXPECT_EQ(text.find('\n'), std::string::npos) << text;
    EXPECT_EQ(systemErrorText(0xDEADBEEF), "erreur Windows 3735928559");
#else
    EXPECT_EQ(systemErrorText(ENOENT), std::strerror(ENOENT));
#endif
}

}  // namespace
}  // namespace setup::test
