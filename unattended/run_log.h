#pragma once

#include <memory>
#include <string>

namespace setup {

class AppendFile;

/// The administrator's log of a run: one line per event, each opened by its local time, in UTF-8,
/// appended to the file as the run goes.
class RunLog {
  public:
    /// Opens the log at `path` for appending, creating it when absent. Throws NotARegularFile when a link,
    /// a folder, a pipe or a device stands at that name, Failure with the system's reason when it cannot be
    /// opened.
    explicit RunLog(const std::wstring& path);
    ~RunLog();
    RunLog(const RunLog&) = delete;
    RunLog& operator=(const RunLog&) = delete;

    /// Appends the event as one line, in one write. Never throws: the first write that fails is reported
    /// once on standard error and the run goes on.
    void write(const std::wstring& event);

  private:
    std::unique_ptr<AppendFile> m_file;
    bool m_failed = false;
};

/// One line of the log: the time stamp, two spaces, the event with each line end inside it shown as
/// "↵", then the system's line end; UTF-8.
std::string logLine(const std::wstring& timeStamp, const std::wstring& event);

}  // namespace setup
