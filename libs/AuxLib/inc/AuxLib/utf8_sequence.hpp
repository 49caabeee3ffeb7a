#pragma once

#include <cstddef>
#include <string_view>

namespace hx4x {

// Length of the well-formed UTF-8 sequence at text[i] (2 to 4), or 0 when the bytes there
// are not one: overlong forms, surrogates and code points above U+10FFFF are not, so text
// shown or written as JSON never passes on a byte sequence a terminal or parser would read
// otherwise. text[i] must exist.
std::size_t utf8_sequence_length(std::string_view text, std::size_t i);

}  // namespace hx4x
