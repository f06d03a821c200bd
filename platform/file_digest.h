#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/system_path.h"

namespace setup {

/// The 32 bytes of a SHA-256 digest.
using Sha256Digest = std::array<std::uint8_t, 32>;

/// A SHA-256 computed by the system's cryptographic library over bytes handed in pieces.
class Sha256 {
  public:
    /// Starts a digest; throws Failure when the system's library refuses.
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    /// Adds `size` bytes at `data` to the digest. Throws Failure.
    void update(const void* data, std::size_t size);
    /// The digest of every byte added; the object then takes no more bytes. Throws Failure.
    Sha256Digest finish();

  private:
    struct State;
    std::unique_ptr<State> m_state;
};

/// The SHA-256 of the `size` bytes at `data`. Throws Failure.
inline Sha256Digest sha256Of(const void* data, std::size_t size) {
    Sha256 digest;
    digest.update(data, size);
    return digest.finish();
}

/// The SHA-256 of the whole content of the regular file at `path`, read in large blocks. Throws Failure
/// when it is missing, no regular file, or cannot be read to its end.
Sha256Digest fileSha256(const SystemPath& path);

}  // namespace setup
