#include "platform/file_digest.h"

#include <windows.h>
// After windows.h, which it needs.
#include <bcrypt.h>

#include <string>
#include <vector>

#include "platform/failure.h"
#include "platform/system_error_text.h"
#include "platform/text_codec.h"
#include "platform/win32/system_path.h"

namespace setup {

namespace {

// Large enough that the system calls cost nothing beside the hashing, small enough to stay in cache.
constexpr DWORD kBlockSize = 1024 * 1024;

bool succeeded(NTSTATUS status) { return status >= 0; }

/// Closes a handle when the scope ends, whichever way it ends.
class FileHandle {
  public:
    explicit FileHandle(HANDLE handle) : m_handle(handle) {}
    ~FileHandle() {
        if (m_handle != INVALID_HANDLE_VALUE) ::CloseHandle(m_handle);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE get() const { return m_handle; }

  private:
    HANDLE m_handle;
};

[[noreturn]] void fail(const std::string& what, const SystemPath& path, DWORD error) {
    throw Failure(what + " " + toUtf8(path) + " : " + systemErrorText(error));
}

}  // namespace

struct Sha256::State {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;

    ~State() {
        if (hash != nullptr) ::BCryptDestroyHash(hash);
        if (algorithm != nullptr) ::BCryptCloseAlgorithmProvider(algorithm, 0);
    }
};

Sha256::Sha256() : m_state(std::make_unique<State>()) {
    // The hash object's memory is left to the system (null buffer), as every version since Windows 7 allows.
    if (!succeeded(::BCryptOpenAlgorithmProvider(&m_state->algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0)) ||
        !succeeded(::BCryptCreateHash(m_state->algorithm, &m_state->hash, nullptr, 0, nullptr, 0, 0)))
        throw Failure("SHA-256 indisponible");
}

Sha256::~Sha256() = default;

void Sha256::update(const void* data, std::size_t size) {
    auto* bytes = static_cast<PUCHAR>(const_cast<void*>(data));
    // BCryptHashData takes at most a ULONG at a time.
    while (size > 0) {
        const ULONG piece = size > 0x40000000u ? 0x40000000u : static_cast<ULONG>(size);
        if (!succeeded(::BCryptHashData(m_state->hash, bytes, piece, 0)))
            throw Failure("\u00E9chec du calcul SHA-256");
        bytes += piece;
        size -= piece;
    }
}

Sha256Digest Sha256::finish() {
    Sha256Digest digest{};
    if (!succeeded(::BCryptFinishHash(m_state->hash, digest.data(), static_cast<ULONG>(digest.size()), 0)))
        throw Failure("\u00E9chec du calcul SHA-256");
    return digest;
}

Sha256Digest fileSha256(const SystemPath& path) {
    // Others may keep reading the file; one writing it while it is checked would make any digest a guess.
    const FileHandle file(::CreateFileW(systemPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) fail("impossible d'ouvrir", path, ::GetLastError());
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(file.get()) != FILE_TYPE_DISK || !::GetFileInformationByHandle(file.get(), &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        throw Failure("pas un fichier ordinaire : " + toUtf8(path));
    Sha256 digest;
    std::vector<unsigned char> block(kBlockSize);
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file.get(), block.data(), kBlockSize, &got, nullptr))
            fail("impossible de lire", path, ::GetLastError());
        if (got == 0) break;
        digest.update(block.data(), got);
    }
    return digest.finish();
}

}  // namespace setup
