#include "unattended/run_log.h"

#include <exception>

#include "platform/append_file.h"
#include "platform/local_time.h"
#include "platform/standard_streams.h"
#include "platform/text_codec.h"

namespace setup {

RunLog::RunLog(const std::wstring& path) : m_file(std::make_unique<AppendFile>(path)) {}

RunLog::~RunLog() = default;

void RunLog::write(const std::wstring& event) {
    if (m_failed) return;
    try {
        m_file->append(logLine(localTimeStamp(), event));
    } catch (const std::exception& failure) {
        // A full disk must not stop an update halfway: the update goes on and its exit status still tells.
        m_failed = true;
        writeStandardError(L"Setup : le journal ne peut plus \u00EAtre \u00E9crit (" +
                           fromUtf8(failure.what()) + L") ; la mise \u00E0 jour continue sans lui.\n");
    }
}

std::string logLine(const std::wstring& timeStamp, const std::wstring& event) {
    std::wstring text = timeStamp + L"  ";
    text.reserve(text.size() + event.size());
    for (std::size_t i = 0; i < event.size(); ++i) {
        const wchar_t c = event[i];
        if (c == L'\r' || c == L'\n') {
            text += L'\u21B5';
            if (c == L'\r' && i + 1 < event.size() && event[i + 1] == L'\n') ++i;
        } else {
            text += c;
        }
    }
    return toUtf8(text) + std::string(systemLineEnd());
}

}  // namespace setup
