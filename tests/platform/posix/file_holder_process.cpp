#include "tests/platform/file_holder_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/child_process.h"

extern char** environ;

namespace setup::test {

struct FileHolderProcess::Process {
    pid_t pid = -1;
    int said = -1;
    int release = -1;
};

FileHolderProcess::FileHolderProcess(const std::filesystem::path& path, bool map)
    : m_process(std::make_unique<Process>()) {
    int said[2];
    int release[2];
    if (::pipe2(said, O_CLOEXEC) != 0 || ::pipe2(release, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_adddup2(&actions, release[0], 0);
    ::posix_spawn_file_actions_adddup2(&actions, said[1], 1);
    std::string program = SETUP_FILE_HOLDER;
    std::string flag = "--map";
    std::string target = path.string();
    std::vector<char*> arguments{program.data()};
    if (map) arguments.push_back(flag.data());
    arguments.push_back(target.data());
    arguments.push_back(nullptr);
    const int error =
        ::posix_spawn(&m_process->pid, program.c_str(), &actions, nullptr, arguments.data(), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    ::close(said[1]);
    ::close(release[0]);
    m_process->said = said[0];
    m_process->release = release[1];
    if (error != 0) m_process->pid = -1;
    std::string line;
    char c = 0;
    while (line.size() < 8 && ::read(m_process->said, &c, 1) == 1 && c != '\n') line += c;
    if (line != "held") {
        letGo();
        throw std::runtime_error("file_holder did not hold " + target);
    }
}

FileHolderProcess::~FileHolderProcess() { letGo(); }

std::uint32_t FileHolderProcess::processId() const { return static_cast<std::uint32_t>(m_process->pid); }

int FileHolderProcess::letGo() {
    if (m_process->release < 0) return -1;
    ::close(m_process->release);
    ::close(m_process->said);
    m_process->release = -1;
    return m_process->pid < 0 ? -1 : waitForChild(m_process->pid);
}

}  // namespace setup::test
