// Registry files whose names differ only in letter case, side by side in one folder: a Linux folder holds
// them, a Windows one cannot.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "registry/product_registry.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace setup::test {
namespace {

TEST(WriteVersion, StampsTheFileTheReadFindsWhenSpellingsFindTwo) {
    struct Row {
        const char* name;
        std::vector<std::string> files;  ///< each holding Version=1.0 under [Kelvane]
        std::string stamped;             ///< the one file that must hold the new version
    };
    const Row rows[] = {
        {"exact read name beside its capitals", {"Tamreg.reg", "TAMREG.REG"}, "Tamreg.reg"},
        {"exact write name beside a lower-case one", {"TamReg.reg", "tamreg.reg"}, "TamReg.reg"},
        {"exact read and write names side by side", {"Tamreg.reg", "TamReg.reg"}, "Tamreg.reg"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        const ScopedEnv windir("WINDIR", dir.path().string());
        for (const std::string& file : row.files) writeFile(dir / file, "[Kelvane]\r\nVersion=1.0\r\n");

        writeVersion(L"Kelvane", L"4.0");

        EXPECT_EQ(ReadProfileValue(kRegistryReadName, kDefaultProduct, L"Version"), L"4.0");
        for (const std::string& file : row.files) {
            EXPECT_EQ(readFile(dir / file).find("4.0") != std::string::npos, file == row.stamped) << file;
        }
    }
}

}  // namespace
}  // namespace setup::test
