#include "platform/command_line_rules.hpp"

namespace hx4x::platform {

bool posix_command_line() {
    return true;
}

// The argument vector is all there is; the caller joins it.
std::optional<std::string> native_command_line() {
    return std::nullopt;
}

}  // namespace hx4x::platform
