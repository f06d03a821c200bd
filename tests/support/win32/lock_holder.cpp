#include "tests/support/lock_holder.h"

#include <windows.h>

#include <cwchar>
#include <stdexcept>
#include <string>

#include "platform/installation_lock.h"

namespace setup::test {

namespace {

constexpr const wchar_t* kHoldFlag = L"--hold-installation-lock";
constexpr char kHolds = 'y';
constexpr char kRefused = 'n';

char readByte(HANDLE pipe) {
    char byte = 0;
    DWORD got = 0;
    return ::ReadFile(pipe, &byte, 1, &got, nullptr) && got == 1 ? byte : '\0';
}

std::wstring ownProgram() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) return path.substr(0, length);
        path.resize(path.size() * 2);
    }
}

/// A pipe whose one end the child inherits.
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

/// The test program started again with kHoldFlag: its standard output carries the answer, and the end of
/// its standard input lets it go.
struct LockHolder::Process {
    PROCESS_INFORMATION info{};
    HANDLE answer = nullptr;
    HANDLE release = nullptr;
};

LockHolder::LockHolder(const std::filesystem::path& folder) : m_process(std::make_unique<Process>()) {
    const Pipe answer = makePipe(false);
    const Pipe release = makePipe(true);
    const std::wstring program = ownProgram();
    std::wstring command = L"\"" + program + L"\" " + kHoldFlag + L" \"" + folder.wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = release.read;
    startup.hStdOutput = answer.write;
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    const bool started = ::CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                          nullptr, &startup, &m_process->info);
    ::CloseHandle(answer.write);
    ::CloseHandle(release.read);
    m_process->answer = answer.read;
    m_process->release = release.write;
    if (!started) {
        ::CloseHandle(answer.read);
        ::CloseHandle(release.write);
        m_process->info.hProcess = nullptr;
        throw std::runtime_error("CreateProcessW failed: " + std::to_string(::GetLastError()));
    }
    const char said = readByte(m_process->answer);
    if (said != kHolds && said != kRefused) {
        kill();
        throw std::runtime_error("the lock holder failed to try the lock");
    }
    m_holds = said == kHolds;
}

LockHolder::~LockHolder() { kill(); }

void LockHolder::kill() {
    if (m_process->info.hProcess == nullptr) return;
    ::TerminateProcess(m_process->info.hProcess, 137);
    ::WaitForSingleObject(m_process->info.hProcess, INFINITE);
    ::CloseHandle(m_process->info.hProcess);
    ::CloseHandle(m_process->info.hThread);
    m_process->info.hProcess = nullptr;
    ::CloseHandle(m_process->answer);
    ::CloseHandle(m_process->release);
}

void LockHolder::letGo() {
    ::CloseHandle(m_process->release);
    ::WaitForSingleObject(m_process->info.hProcess, INFINITE);
    DWORD status = 1;
    ::GetExitCodeProcess(m_process->info.hProcess, &status);
    ::CloseHandle(m_process->info.hProcess);
    ::CloseHandle(m_process->info.hThread);
    m_process->info.hProcess = nullptr;
    ::CloseHandle(m_process->answer);
    if (status != 0) throw std::runtime_error("the lock holder ended with " + std::to_string(status));
}

bool holdLockIfAsked() {
    int count = 0;
    LPWSTR* arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (arguments == nullptr) return false;
    const bool asked = count == 3 && std::wcscmp(arguments[1], kHoldFlag) == 0;
    if (asked) {
        char said = kRefused;
        std::unique_ptr<InstallationLock> lock;
        try {
            lock = takeInstallationLock(arguments[2]);
            if (lock) said = kHolds;
        } catch (const std::exception&) {
            said = '\0';
        }
        DWORD written = 0;
        ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), &said, 1, &written, nullptr);
        readByte(::GetStdHandle(STD_INPUT_HANDLE));  // ends when the test lets go, or never
    }
    ::LocalFree(arguments);
    return asked;
}

}  // namespace setup::test
