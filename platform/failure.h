#pragma once

#include <exception>
#include <stdexcept>
#include <string>

namespace setup {

/// The one failure type of the program: every failed operation throws it, and every failure trap catches it
/// (as a std::exception, together with the standard library's own errors).
class Failure : public std::runtime_error {
public:
    explicit Failure(const std::string& what) : std::runtime_error(what) {}
};

/// Runs `step`, a step whose failure must not stop the steps after it (a cleanup, an undo), and answers
/// whether it succeeded.
template <typename Step>
bool ignoringFailure(Step&& step) {
    try {
        step();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace setup
