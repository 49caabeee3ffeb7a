#pragma once

#include <cstdint>
#include <string>

namespace hx4x::platform {

// The calling thread's last-error value (errno on POSIX, GetLastError on Windows).
std::uint32_t last_error();
void set_last_error(std::uint32_t code);

// The system's own text for an error code in the user's language, as the system gives it
// (line ends included); empty when the system has no text for the code.
std::string error_message(std::uint32_t code);

}  // namespace hx4x::platform
