#pragma once

#include <cstddef>
#include <cstdint>

namespace hx4x::fuzzing {

// Input: radix byte, start byte, partial byte, then the text. Both forms of parse_integer are
// compared with a plain reference; aborts on any difference.
void run_parse_integer_case(const std::uint8_t* data, std::size_t size);

}  // namespace hx4x::fuzzing
