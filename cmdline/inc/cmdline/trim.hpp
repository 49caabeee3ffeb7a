#pragma once

#include <string>
#include <string_view>

namespace hx4x {

// Removes blanks, tabs and line feeds (not carriage returns) at both ends.
std::string trim(std::string_view text);

}  // namespace hx4x
