#pragma once

#include <string>
#include <string_view>

namespace hx4x {

// The text with every control character except line feed and tab written as \xHH, so text
// that came from a device or a file (an identification, a file name) cannot move the cursor,
// recolour or retitle the operator's terminal. Every other byte is kept as it is.
std::string visible_text(std::string_view text);

}  // namespace hx4x
