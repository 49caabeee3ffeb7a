#pragma once

#include <cstdlib>
#include <string>
#include <utility>

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

// Sets a variable for the life of the object and puts back what was there before.
class ScopedEnvironment {
  public:
    ScopedEnvironment(std::string name, const std::string& value) : name_(std::move(name)) {
        if (const char* previous = std::getenv(name_.c_str()); previous != nullptr) {
            had_value_ = true;
            previous_ = previous;
        }
        set_environment(name_, value);
    }
    ~ScopedEnvironment() {
        if (had_value_) {
            set_environment(name_, previous_);
        } else {
            unset_environment(name_);
        }
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

  private:
    std::string name_;
    std::string previous_;
    bool had_value_ = false;
};

}  // namespace hx4x::testing_support
