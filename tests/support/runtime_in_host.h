#pragma once

#include "platform/file_runtime.h"

namespace setup::test {

/// The files, list numbers and lock of `files` inside another host, so that a host wrapping a scripted
/// one (an unattended run's) still sees the scripted file faults.
class RuntimeInHost final : public Runtime {
  public:
    RuntimeInHost(FileRuntime& files, Host& host) : Runtime(host), m_files(files) {}

    FileNumber freeFileNumber() override { return m_files.freeFileNumber(); }
    void openForInput(FileNumber number, const std::wstring& path) override { m_files.openForInput(number, path); }
    bool atEndOfFile(FileNumber number) override { return m_files.atEndOfFile(number); }
    std::wstring readEntry(FileNumber number) override { return m_files.readEntry(number); }
    void close(FileNumber number) override { m_files.close(number); }
    bool folderExists(const std::wstring& path) override { return m_files.folderExists(path); }
    FileServices& files() override { return m_files.files(); }
    FileHolderFinder& fileHolders() override { return m_files.fileHolders(); }
    bool lockInstallation(const std::wstring& folder) override { return m_files.lockInstallation(folder); }

  protected:
    void releaseAll() override { m_files.releaseAll(); }

  private:
    FileRuntime& m_files;
};

}  // namespace setup::test
