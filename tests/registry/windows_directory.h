#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace setup::test {

/// Points $WINDIR at `directory` for the lifetime of the object, then restores what it was.
class WindowsDirectoryOverride {
  public:
    explicit WindowsDirectoryOverride(const std::filesystem::path& directory) {
        if (const char* previous = std::getenv("WINDIR")) m_previous = previous;
        ::setenv("WINDIR", directory.c_str(), 1);
    }
    ~WindowsDirectoryOverride() {
        if (m_previous) {
            ::setenv("WINDIR", m_previous->c_str(), 1);
        } else {
            ::unsetenv("WINDIR");
        }
    }
    WindowsDirectoryOverride(const WindowsDirectoryOverride&) = delete;
    WindowsDirectoryOverride& operator=(const WindowsDirectoryOverride&) = delete;

  private:
    std::optional<std::string> m_previous;
};

}  // namespace setup::test
