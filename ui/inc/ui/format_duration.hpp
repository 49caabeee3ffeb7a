#pragma once

#include <cstdint>
#include <string>

namespace hx4x {

// "02 min 05 sec" for 125 seconds; minutes take as many digits as they need beyond two.
std::string format_duration(std::uint64_t seconds);

}  // namespace hx4x
