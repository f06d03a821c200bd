#pragma once

namespace setup {

class Runtime;
class MainWindow;
class ProgressWindow;
struct RunState;

/// Everything one run works with: the services, its variables and its two windows.
struct Session {
    Runtime& runtime;
    RunState& state;
    MainWindow& form1;
    ProgressWindow& form2;
};

}  // namespace setup
