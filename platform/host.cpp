#include "platform/host.h"

#include "platform/path_mapping.h"

namespace setup {

std::wstring Host::programDirectory() {
    if (!m_programDirectory) m_programDirectory = executableDirectory();
    return *m_programDirectory;
}

}  // namespace setup
