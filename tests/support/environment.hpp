#pragma once

#include <cstdlib>
#include <string>

namespace hx4x::testing_support {

// Sets or removes a variable of the test process's environment. Windows has no setenv:
// its C library keeps the environment with _putenv_s, where an empty value removes it.
inline void set_environment(const std::string& name, const std::string& value) {
#ifdef _WIN32
    _putenv_s(name.c_str(), value.c_str());
#else
    setenv(name.c_str(), value.c_str(), 1);
#endif
}

inline void unset_environment(const std::string& name) {
#ifdef _WIN32
    _putenv_s(name.c_str(), "");
#else
    unsetenv(name.c_str());
#endif
}

}  // namespace hx4x::testing_support
