#include "platform/host.h"

#include <chrono>
#include <thread>

#include "platform/path_mapping.h"

namespace setup {

std::wstring Host::programDirectory() {
    if (!m_programDirectory) m_programDirectory = executableDirectory();
    return *m_programDirectory;
}

void Host::waitOneSecond() {
    // A tenth of a second at a time, so that a shown window still answers while the run waits.
    for (int step = 0; step < 10; ++step) {
        processPendingMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

}  // namespace setup
