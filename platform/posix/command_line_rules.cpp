#include "platform/command_line_rules.hpp"

namespace hx4x::platform {

bool posix_command_line() {
    return true;
}

}  // namespace hx4x::platform
