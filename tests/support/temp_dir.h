#pragma once

#include <filesystem>
#include <string>

namespace setup::test {

/// A fresh directory under the system's temporary folder, removed with everything in it on destruction.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    /// `relative` below the directory.
    std::filesystem::path operator/(const std::filesystem::path& relative) const { return m_path / relative; }

  private:
    std::filesystem::path m_path;
};

/// Writes `bytes` to `path`, creating missing parent directories.
void writeFile(const std::filesystem::path& path, const std::string& bytes);
/// The bytes of `path`; empty when it cannot be read.
std::string readFile(const std::filesystem::path& path);

}  // namespace setup::test
