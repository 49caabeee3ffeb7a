#pragma once

#include <string>

#include "update/firmware_block.hpp"

namespace hx4x {

// The line of the sending dump for one data command:
// TOTAL=<command length> SCPI="<header>" DATA="<block bytes in hexadecimal>"\r\n
std::string sending_dump_line(const std::string& header, const FirmwareBlock& block);

// The line of the firmware dump for one block, a C-array initializer: {b0,b1,...},\r\n
std::string firmware_dump_line(const FirmwareBlock& block);

// The firmware file's path with its extension replaced (or added) by `extension`; a tag,
// when given, joins the file's name after a dash ("fw-100001.sending"), so that counters
// updated from one file in one run keep their own dumps. The tag is used as it is: the
// caller makes it safe for a file name.
std::string dump_file_name(const std::string& firmware_path, const std::string& extension,
                           const std::string& tag = {});

}  // namespace hx4x
