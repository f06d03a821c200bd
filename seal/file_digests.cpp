#include "seal/file_digests.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <thread>

namespace setup {

namespace {

// One hashing core already reads faster than most disks; a second keeps up with fast ones while two
// streams at a time stay kind to a spinning disk.
constexpr std::size_t kWorkers = 2;

}  // namespace

std::vector<std::optional<Sha256Digest>> digestFiles(const std::vector<SystemPath>& paths) {
    std::vector<std::optional<Sha256Digest>> digests(paths.size());
    std::atomic<std::size_t> next = 0;
    auto work = [&] {
        for (std::size_t i = next++; i < paths.size(); i = next++) {
            try {
                digests[i] = fileSha256(paths[i]);
            } catch (const std::exception&) {
                // Left empty: the caller names the file that could not be read.
            }
        }
    };
    {
        std::vector<std::jthread> helpers;
        for (std::size_t k = 1; k < std::min(kWorkers, paths.size()); ++k) helpers.emplace_back(work);
        work();
    }
    return digests;
}

}  // namespace setup
