#pragma once

#include <optional>
#include <string>

namespace hx4x::platform {

// The process's whole command line as the system keeps it, one 8-bit text with the program
// path as its first token (GetCommandLineA on Windows), for the parser's own splitting
// rules. Absent where the system hands over only an argument vector (POSIX).
std::optional<std::string> native_command_line();

// Whether the program's command line reaches it as a POSIX argument vector, where a slash
// starts absolute paths and users type doubled hyphens, rather than as one Windows text.
bool posix_command_line();

}  // namespace hx4x::platform
