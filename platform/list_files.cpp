#include "platform/list_files.h"

#include <exception>

namespace setup {

bool FileExists(ListFiles& files, const std::wstring& path) {
    try {
        const FileNumber number = files.freeFileNumber();
        files.openForInput(number, path);
        files.close(number);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace setup
