#pragma once

#include <functional>

namespace setup::test {

/// Exit status of a child that a signal ended: 128 plus the signal's number, as a shell reports it.
inline constexpr int kSignalled = 128;

/// Runs `body` in a forked child, which ends with the status `body` answers (without running any
/// destructor of the test); answers that status, or kSignalled + the signal that ended the child.
int runInChild(const std::function<int()>& body);

/// Starts `body` in a forked child as runInChild does and answers its process id.
int startChild(const std::function<int()>& body);

/// Waits for the child `pid` to end; answers its status as runInChild does.
int waitForChild(int pid);

}  // namespace setup::test
