#pragma once

#include <string>

#include "app/version_info.hpp"

namespace hx4x {

// What the readme says about the program, from its own version record: the program name,
// the version line ("Version: " and the file version, then " Build date: " and the build
// time when the record has one) and, when the record names it, the company as the last line.
std::string product_text(const VersionInfo& info);

// The file name the program is released under; it names the program in the readme and
// chooses the brand pictures.
std::string release_file_name(const VersionInfo& info);

}  // namespace hx4x
