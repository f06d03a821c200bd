#include "platform/file_digest.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "platform/failure.h"
#include "platform/posix/descriptor.h"
#include "platform/system_error_text.h"

namespace setup {

namespace {

// Large enough that the system calls cost nothing beside the hashing, small enough to stay in cache.
constexpr std::size_t kBlockSize = 1024 * 1024;

[[noreturn]] void fail(const std::string& what, const std::filesystem::path& path, int error) {
    throw Failure(what + " " + path.string() + " : " + systemErrorText(error));
}

}  // namespace

struct Sha256::State {
    EVP_MD_CTX* context = nullptr;
};

Sha256::Sha256() : m_state(std::make_unique<State>()) {
    m_state->context = EVP_MD_CTX_new();
    if (m_state->context == nullptr || EVP_DigestInit_ex(m_state->context, EVP_sha256(), nullptr) != 1) {
        EVP_MD_CTX_free(m_state->context);
        throw Failure("SHA-256 indisponible");
    }
}

Sha256::~Sha256() { EVP_MD_CTX_free(m_state->context); }

void Sha256::update(const void* data, std::size_t size) {
    if (EVP_DigestUpdate(m_state->context, data, size) != 1) throw Failure("\u00E9chec du calcul SHA-256");
}

Sha256Digest Sha256::finish() {
    Sha256Digest digest{};
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(m_state->context, digest.data(), &length) != 1 || length != digest.size())
        throw Failure("\u00E9chec du calcul SHA-256");
    return digest;
}

Sha256Digest fileSha256(const std::filesystem::path& path) {
    // Non-blocking, so that a FIFO put in place of a file is refused at once instead of holding the run.
    const Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (file.get() < 0) fail("impossible d'ouvrir", path, errno);
    struct stat st {};
    if (::fstat(file.get(), &st) != 0) fail("impossible d'examiner", path, errno);
    if (!S_ISREG(st.st_mode)) throw Failure("pas un fichier ordinaire : " + path.string());
    ::posix_fadvise(file.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    Sha256 digest;
    std::vector<unsigned char> block(kBlockSize);
    for (;;) {
        const ssize_t got = ::read(file.get(), block.data(), block.size());
        if (got < 0) {
            if (errno == EINTR) continue;
            fail("impossible de lire", path, errno);
        }
        if (got == 0) break;
        digest.update(block.data(), static_cast<std::size_t>(got));
    }
    return digest.finish();
}

}  // namespace setup
