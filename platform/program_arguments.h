#pragma once

#include <string>
#include <vector>

namespace setup {

/// The arguments the program was started with, its own name left out, as wide text: on Linux `argv`
/// decoded from UTF-8; on Windows the system's own wide command line, since `argv` holds the arguments
/// in the ANSI code page and loses every character it lacks.
std::vector<std::wstring> programArguments(int argc, char** argv);

}  // namespace setup
