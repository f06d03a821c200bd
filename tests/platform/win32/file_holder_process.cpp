#include "tests/platform/file_holder_process.h"

#include <windows.h>

#include <stdexcept>
#include <string>

namespace setup::test {

namespace {

/// A pipe whose other end a child inherits.
struct Pipe {
    HANDLE read = nullptr;
    HANDLE write = nullptr;
};

Pipe makePipe(bool childReads) {
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    Pipe pipe;
    if (!::CreatePipe(&pipe.read, &pipe.write, &inherited, 0)) throw std::runtime_error("CreatePipe failed");
    ::SetHandleInformation(childReads ? pipe.write : pipe.read, HANDLE_FLAG_INHERIT, 0);
    return pipe;
}

}  // namespace

struct FileHolderProcess::Process {
    PROCESS_INFORMATION info{};
    HANDLE said = nullptr;
    HANDLE release = nullptr;
};

FileHolderProcess::FileHolderProcess(const std::filesystem::path& path, bool map)
    : m_process(std::make_unique<Process>()) {
    if (map) throw std::runtime_error("file_holder maps files on Linux only");
    const Pipe said = makePipe(false);
    const Pipe release = makePipe(true);
    // The build names the program by its host path, which Wine shows on its Z: drive.
    const std::string host = SETUP_FILE_HOLDER;
    const std::wstring program = L"Z:" + std::wstring(host.begin(), host.end());
    std::wstring command = L"\"" + program + L"\" \"" + path.wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = release.read;
    startup.hStdOutput = said.write;
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    const bool started = ::CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                          nullptr, &startup, &m_process->info);
    ::CloseHandle(said.write);
    ::CloseHandle(release.read);
    m_process->said = said.read;
    m_process->release = release.write;
    std::string line;
    char c = 0;
    DWORD got = 0;
    while (started && line.size() < 8 && ::ReadFile(m_process->said, &c, 1, &got, nullptr) && got == 1 &&
           c != '\n') {
        line += c;
    }
    if (line != "held" && line != "held\r") {
        letGo();
        throw std::runtime_error("file_holder did not hold " + path.string());
    }
}

FileHolderProcess::~FileHolderProcess() { letGo(); }

std::uint32_t FileHolderProcess::processId() const { return m_process->info.dwProcessId; }

int FileHolderProcess::letGo() {
    if (m_process->release == nullptr) return -1;
    ::CloseHandle(m_process->release);
    ::CloseHandle(m_process->said);
    m_process->release = nullptr;
    if (m_process->info.hProcess == nullptr) return -1;
    ::WaitForSingleObject(m_process->info.hProcess, INFINITE);
    DWORD status = 1;
    ::GetExitCodeProcess(m_process->info.hProcess, &status);
    ::CloseHandle(m_process->info.hProcess);
    ::CloseHandle(m_process->info.hThread);
    return static_cast<int>(status);
}

}  // namespace setup::test
