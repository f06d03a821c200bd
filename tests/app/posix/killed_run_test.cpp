// A real run on real files, killed at a random moment: what the next start puts back is the old
// installation or the new one, byte for byte, never a mix.
#include <gtest/gtest.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "platform/text_codec.h"
#include "run/product_registry_values.h"
#include "staging/staged_update.h"
#include "tests/support/child_process.h"
#include "tests/support/update_run.h"

namespace setup::test {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr int kKills = 40;  // a run under the sanitizers is several times slower
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr int kKills = 40;
#else
constexpr int kKills = 200;
#endif
#else
constexpr int kKills = 200;
#endif

constexpr int kFiles = 6;

/// Kelvane 2.0 with old files, and an update that replaces each of them and adds one in a new folder.
void layOut(UpdateRun& run) {
    run.registerProduct("2.0");
    std::wstring list;
    for (int i = 0; i < kFiles; ++i) {
        const std::string name = "f" + std::to_string(i) + ".bin";
        run.addInstalledFile(name, std::string(20000 + i, static_cast<char>('a' + i)));
        run.addUpdateFile(name, std::string(30000 + i, static_cast<char>('A' + i)));
        list += fromUtf8(name) + L"\r\n";
    }
    run.addUpdateFile("neuf/ajout.txt", "ajout");
    run.writeList(list + L"neuf\\ajout.txt\r\n#3.1\r\n");
}

/// The registry's lines other than the installation's path, which differs from one folder to another.
InstallationState withoutPaths(InstallationState state, const UpdateRun& run) {
    for (auto& [name, content] : state.windows) {
        const std::string path = run.installation.string();
        for (auto at = content.find(path); at != std::string::npos; at = content.find(path)) {
            content.replace(at, path.size(), "<installation>");
        }
    }
    return state;
}

/// A kill loses nothing the system's cache holds, so folders in memory show the same states as folders on
/// a disk, without the disk's flushes slowing every round.
const char* memoryBackedFolder() {
    std::error_code error;
    return std::filesystem::is_directory("/dev/shm", error) && ::access("/dev/shm", W_OK) == 0 ? "/dev/shm"
                                                                                               : nullptr;
}

TEST(KilledRun, NextStartFindsTheOldOrTheNewInstallationNeverAMix) {
    const char* memory = memoryBackedFolder();
    const ScopedEnv temporaries("TMPDIR", memory != nullptr ? memory : std::getenv("TMPDIR"));
    const auto started = std::chrono::steady_clock::now();
    InstallationState updated;
    {
        UpdateRun reference;
        layOut(reference);
        EXPECT_EQ(runInChild([&reference] { return reference.run(); }), 0);
        updated = withoutPaths(reference.snapshot(), reference);
    }
    // The kill falls anywhere in the time a whole run takes, and a little after it.
    const auto runTime = (std::chrono::steady_clock::now() - started) * 5 / 4;
    std::mt19937_64 random(std::random_device{}());
    std::uniform_int_distribution<long long> moment(
        0, std::chrono::duration_cast<std::chrono::nanoseconds>(runTime).count());

    int old = 0;
    int updatedCount = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        UpdateRun run;
        layOut(run);
        const InstallationState before = withoutPaths(run.snapshot(), run);
        const int pid = startChild([&run] { return run.run(); });
        const long long wait = moment(random);
        const timespec pause{static_cast<time_t>(wait / 1000000000), static_cast<long>(wait % 1000000000)};
        ::nanosleep(&pause, nullptr);
        ::kill(pid, SIGKILL);
        waitForChild(pid);

        ProductRegistryValues registry;
        recoverInterruptedUpdate(run.runtime.files(), registry, fromUtf8(run.installation.string()) + L"\\");

        const InstallationState after = withoutPaths(run.snapshot(), run);
        if (after == before) {
            ++old;
        } else if (after == updated) {
            ++updatedCount;
        } else {
            ADD_FAILURE() << "kill " << kill << " after " << wait << " ns left a mix:\n" << after;
            break;
        }
    }
    RecordProperty("old", old);
    RecordProperty("updated", updatedCount);
    std::printf("%d kills: %d old, %d updated\n", kKills, old, updatedCount);
}

}  // namespace
}  // namespace setup::test
