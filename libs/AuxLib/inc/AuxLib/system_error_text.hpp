#pragma once

#include <cstdint>
#include <string>

namespace hx4x {

// "[code]" followed by a blank and the system's text for it when there is one, on one
// line (every CR and LF removed). Leaves the thread's last-error value as it found it.
std::string system_error_text(std::uint32_t code);

// system_error_text of the calling thread's last-error value.
std::string last_error_text();

}  // namespace hx4x
