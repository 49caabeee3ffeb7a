#pragma once

#include <string>

#include "update/firmware_block.hpp"

namespace hx4x {

// The line of the sending dump for one data command:
// TOTAL=<command length> SCPI="<header>" DATA="<block bytes in hexadecimal>"\r\n
std::string sending_dump_line(const std::string& header, const FirmwareBlock& block);

// The line of the firmware dump for one block, a C-array initializer: {b0,b1,...},\r\n
std::string firmware_dump_line(const FirmwareBlock& block);

// The firmware file's path with its extension replaced (or added) by `extension`.
std::string dump_file_name(const std::string& firmware_path, const std::string& extension);

}  // namespace hx4x
