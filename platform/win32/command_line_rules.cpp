#include "platform/command_line_rules.hpp"

#include <windows.h>

namespace hx4x::platform {

// Windows programs take slash options, and paths there start with a drive or a backslash.
bool posix_command_line() {
    return false;
}

std::optional<std::string> native_command_line() {
    const char* text = GetCommandLineA();
    return std::string(text != nullptr ? text : "");
}

}  // namespace hx4x::platform
