#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <set>
#include <string>

#include "platform/failure.h"
#include "platform/file_runtime.h"
#include "platform/path_mapping.h"
#include "platform/text_codec.h"
#include "tests/support/temp_dir.h"

namespace setup::test {

/// A host whose windows are never called here.
class NoWindows final : public Host {
  public:
    using Host::Host;
    int messageBox(const std::wstring&, int, const std::wstring&) override { throw Failure("no windows"); }
    void processPendingMessages() override {}
    [[noreturn]] void endProgram(int) override { throw Failure("no end"); }
};

/// The file runtime alone, inside a host of its own.
class FilesOnly : public FileRuntime {
  public:
    explicit FilesOnly(std::optional<std::wstring> programDirectory = std::nullopt)
        : FileRuntime(m_host), m_host(std::move(programDirectory)) {}

  private:
    NoWindows m_host;
};

/// The names in `directory`, in UTF-8.
inline std::set<std::string> namesIn(const std::filesystem::path& directory) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        names.insert(toUtf8(programPath(entry.path().filename())));
    return names;
}

/// The file runtime on a fresh temporary folder, which is also its program directory.
class FileRuntimeTest : public ::testing::Test {
  protected:
    /// The program path of `relative` inside the folder.
    std::wstring at(const std::wstring& relative) const {
        return programPath(m_dir.path()) + L"\\" + relative;
    }

    /// The runtime's file services, holding the folder as a run holds its folders.
    FileServices& files() {
        m_runtime.files().holdFolder(programPath(m_dir.path()));
        return m_runtime.files();
    }

    TempDir m_dir;
    FilesOnly m_runtime{programPath(m_dir.path())};
};

}  // namespace setup::test
