#include "platform/program_arguments.h"

#include "platform/text_codec.h"

namespace setup {

std::vector<std::wstring> programArguments(int argc, char** argv) {
    std::vector<std::wstring> arguments;
    for (int i = 1; i < argc; ++i) arguments.push_back(fromUtf8(argv[i]));
    return arguments;
}

}  // namespace setup
