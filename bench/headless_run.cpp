// The program's real update run without windows, for scripts/bench: the core over the real file
// services, every question answered with its default button (OK, Yes), and the progress window closed
// with "&Terminer" as soon as it is finished. Usage: setup_bench_run <update folder>
// (the registry is found as the program finds it: $WINDIR). Prints on the standard error the run's peak
// memory "peak_kib" and its time from the main window's load to the end, "run_ns" (without starting the
// process); with --pause, the pause the program makes after each file, "pause_ns".
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <string_view>

#include "app/update_sequence.h"
#include "copy/progress_form.h"
#include "directives/list_directives.h"
#include "platform/file_runtime.h"
#include "platform/text_codec.h"
#include "run/run_state.h"
#include "run/session.h"
#include "run/windows.h"
#include "unattended/copy_progress.h"
#include "unattended/quiet_windows.h"

namespace {

using namespace setup;

/// Answers every question with its default button and ends the process with the run's status.
class HeadlessHost final : public Host {
  public:
    using Host::Host;
    std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
    int messageBox(const std::wstring&, int style, const std::wstring&) override {
        return style == box::kQuestionYesNo ? box::kYes : box::kOk;
    }
    void processPendingMessages() override {}
    [[noreturn]] void endProgram(int exitStatus) override {
        rusage usage{};
        ::getrusage(RUSAGE_SELF, &usage);
        const auto elapsed = std::chrono::steady_clock::now() - started;
        std::fprintf(
            stderr, "peak_kib %ld\nrun_ns %lld\n", usage.ru_maxrss,
            static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(elapsed).count()));
        std::fflush(stderr);
        std::_Exit(exitStatus);
    }
};

}  // namespace

int main(int argc, char* argv[]) {
    if (argc == 2 && std::strcmp(argv[1], "--pause") == 0) {
        constexpr int kRounds = 200;
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kRounds; ++i) pauseAfterCopy();
        const auto elapsed = std::chrono::steady_clock::now() - start;
        std::fprintf(stderr, "pause_ns %lld\n",
                     static_cast<long long>(
                         std::chrono::duration_cast<std::chrono::nanoseconds>(elapsed).count() / kRounds));
        return 0;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <update folder> | --pause\n", argv[0]);
        return 64;
    }
    HeadlessHost host(fromUtf8(argv[1]));
    FileRuntime runtime(host);
    RunState state;
    QuietMainWindow form1;
    // The window-less windows of a quiet run; nobody reads their progress lines here.
    CopyProgress progress;
    QuietProgressWindow form2(progress, [](std::wstring_view) {});
    Session session{runtime, state, form1, form2};
    form2.attach(session);
    ListDirectives directives(session);
    host.started = std::chrono::steady_clock::now();
    try {
        Form_Load(session, directives);
    } catch (const std::exception&) {
        runtime.endProgram(static_cast<int>(ExitStatus::Failed));
    }
}
