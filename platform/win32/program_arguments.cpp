#include "platform/program_arguments.h"

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include "platform/failure.h"
#include "platform/system_error_text.h"

namespace setup {

std::vector<std::wstring> programArguments(int, char**) {
    int count = 0;
    wchar_t** const words = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (words == nullptr)
        throw Failure("impossible de lire la ligne de commande : " + systemErrorText(::GetLastError()));
    std::vector<std::wstring> arguments(words + (count > 0 ? 1 : 0), words + count);
    ::LocalFree(words);
    return arguments;
}

}  // namespace setup
