// A registry that exists but cannot be read, arranged with a FIFO.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "registry/profile_service.h"
#include "tests/registry/profile_service_fixture.h"

namespace setup::test {
namespace {

TEST_F(ProfileService, WriteNeverReplacesARegistryItCannotRead) {
    // Something that exists under the registry's name but cannot be read must not be replaced by a file
    // holding only the new value: the other products' sections would be lost.
    ASSERT_EQ(::mkfifo((m_dir / "Tamreg.reg").c_str(), 0600), 0);
    EXPECT_FALSE(writePrivateProfileString("Kelvane", "Version", "3.1", "TamReg.reg"));
    EXPECT_TRUE(std::filesystem::is_fifo(m_dir / "Tamreg.reg"));
    EXPECT_EQ(names(), std::vector<std::string>{"Tamreg.reg"});
}

}  // namespace
}  // namespace setup::test
