#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "instrument/counter_identity.hpp"

namespace hx4x {

// The one address the emulated counter shows.
inline constexpr std::string_view emulated_resource_name = "USB0::0x5D3C::0x0090::100000::INSTR";

// "X1.15 30 Jun 1908 07:14" for version 115.
std::string emulated_firmware_version(std::uint32_t version);

// The identity the emulated counter reports for the current emulated version.
CounterIdentity emulated_identity(std::string_view resource_name);

}  // namespace hx4x
