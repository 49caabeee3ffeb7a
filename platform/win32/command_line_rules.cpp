#include "platform/command_line_rules.hpp"

namespace hx4x::platform {

// Windows programs take slash options, and paths there start with a drive or a backslash.
bool posix_command_line() {
    return false;
}

}  // namespace hx4x::platform
