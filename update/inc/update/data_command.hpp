#pragma once

#include <cstdio>
#include <string>

#include "update/firmware_block.hpp"

namespace hx4x {

// "SYST:FIRM:DATA #", the count of decimal digits of the block size, then the size.
std::string data_command_header(const FirmwareBlock& block);

// The header followed by the block bytes; one line goes to each dump file that is open.
// With counter emulation on and no dump open, pauses 1 ms as a real bus would.
std::string build_data_command(const FirmwareBlock& block, std::FILE* sending_dump,
                               std::FILE* firmware_dump);

}  // namespace hx4x
