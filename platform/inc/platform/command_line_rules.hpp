#pragma once

namespace hx4x::platform {

// Whether the program's command line reaches it as a POSIX argument vector, where a slash
// starts absolute paths and users type doubled hyphens, rather than as one Windows text.
bool posix_command_line();

}  // namespace hx4x::platform
