#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace setup::test {

/// Sets an environment variable (or unsets it, for a null value) for the lifetime of the object, then
/// restores what it was.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* previous = std::getenv(name)) m_previous = previous;
        set(name, value);
    }
    ScopedEnv(const char* name, const std::string& value) : ScopedEnv(name, value.c_str()) {}
    ~ScopedEnv() { set(m_name.c_str(), m_previous ? m_previous->c_str() : nullptr); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    static void set(const char* name, const char* value) {
#ifdef _WIN32
        // An empty value removes the variable.
        ::_putenv_s(name, value == nullptr ? "" : value);
#else
        if (value == nullptr)
            ::unsetenv(name);
        else
            ::setenv(name, value, 1);
#endif
    }

    std::string m_name;
    std::optional<std::string> m_previous;
};

}  // namespace setup::test
