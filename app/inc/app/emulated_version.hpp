#pragma once

#include <cstdint>

namespace hx4x {

// The firmware version (times 100) of the built-in emulated counter; 0 means real
// instruments. Set once from the command line, read by every instrument operation.
std::uint32_t emulated_version();
void set_emulated_version(std::uint32_t version);

inline bool emulation_on() {
    return emulated_version() != 0;
}

}  // namespace hx4x
