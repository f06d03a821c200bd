#pragma once

#include <stdexcept>
#include <string>

namespace setup {

/// The one failure type of the program: every failed operation throws it, and every failure trap catches it
/// (as a std::exception, together with the standard library's own errors).
class Failure : public std::runtime_error {
public:
    explicit Failure(const std::string& what) : std::runtime_error(what) {}
};

}  // namespace setup
