// What the openssl command line makes of our files, and what we make of its own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "signing/signing_keys.h"
#include "tests/signing/signing_test_files.h"
#include "tests/support/temp_dir.h"

namespace setup::test {
namespace {

/// The exit status of the shell command `command`, its output thrown away.
int run(const std::string& command) {
    const int status = std::system((command + " >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string quoted(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

class OpensslCommandLine : public ::testing::Test {
  protected:
    void SetUp() override {
        if (run("openssl version") != 0) GTEST_SKIP() << "no openssl command line";
    }
    TempDir m_dir;
};

TEST_F(OpensslCommandLine, VerifiesOurSignatures) {
    const SigningKeyPair pair = generateSigningKey();
    const std::string message = "Kelvane 4.2\n";
    writeFile(m_dir / "kelvane.pub", pair.publicKeyPem);
    writeFile(m_dir / "message", message);
    writeFile(m_dir / "message.sig", textOf(signMessage(pair.privateKeyPem, bytesOf(message))));
    const std::string verify = "openssl dgst -sha256 -verify " + quoted(m_dir / "kelvane.pub") +
                               " -signature " + quoted(m_dir / "message.sig") + " ";
    EXPECT_EQ(run(verify + quoted(m_dir / "message")), 0);
    writeFile(m_dir / "other", message + "!");
    EXPECT_NE(run(verify + quoted(m_dir / "other")), 0);
}

TEST_F(OpensslCommandLine, ReadsOurKeyFiles) {
    const SigningKeyPair pair = generateSigningKey();
    writeFile(m_dir / "kelvane.key", pair.privateKeyPem);
    writeFile(m_dir / "kelvane.pub", pair.publicKeyPem);
    EXPECT_EQ(run("openssl pkey -in " + quoted(m_dir / "kelvane.key") + " -check -noout"), 0);
    ASSERT_EQ(run("openssl pkey -in " + quoted(m_dir / "kelvane.key") + " -pubout -out " +
                  quoted(m_dir / "derived.pub")),
              0);
    EXPECT_EQ(readFile(m_dir / "derived.pub"), pair.publicKeyPem);
    EXPECT_EQ(run("openssl pkey -pubin -in " + quoted(m_dir / "kelvane.pub") + " -pubcheck -noout"), 0);
}

TEST_F(OpensslCommandLine, MakesKeysWeSignWith) {
    const std::filesystem::path key = m_dir / "openssl.key";
    const std::filesystem::path pub = m_dir / "openssl.pub";
    ASSERT_EQ(run("openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256 -out " + quoted(key)), 0);
    ASSERT_EQ(run("openssl pkey -in " + quoted(key) + " -pubout -out " + quoted(pub)), 0);
    EXPECT_EQ(publicKeyOf(readFile(key)), readFile(pub));
    const std::string message = "Kelvane 4.2\n";
    writeFile(m_dir / "message", message);
    writeFile(m_dir / "message.sig", textOf(signMessage(readFile(key), bytesOf(message))));
    EXPECT_EQ(run("openssl dgst -sha256 -verify " + quoted(pub) + " -signature " +
                  quoted(m_dir / "message.sig") + " " + quoted(m_dir / "message")),
              0);
}

}  // namespace
}  // namespace setup::test
