#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace hx4x {

enum ParseFlags : std::uint32_t {
    parse_complete = 0x01,           // digits to the end of the text
    parse_empty = 0x02,              // nothing to read from the start position
    parse_value_stored = 0x04,       // the value was stored
    parse_positive_overflow = 0x08,  // above the largest value
    parse_negative_overflow = 0x10,  // below the smallest value
};

template <class T>
struct ParsedInteger {
    T value = 0;                      // written only when parse_value_stored is set
    std::optional<std::size_t> stop;  // first character not used; none when the text was used up
    std::uint32_t flags = 0;
};

// Reads an optionally signed integer from text[start...] in radix 2 to 36. Returns whether
// digits ran to the end of the text; with accept_partial a number followed by other text
// is stored too. An overflowing number is stored as the limit it passed.
bool parse_integer(std::string_view text, std::size_t start, bool accept_partial, unsigned radix,
                   ParsedInteger<std::int32_t>& result);

// The unsigned form: no sign is read (a sign is no digit), range 0 to 2^32 - 1.
bool parse_integer(std::string_view text, std::size_t start, bool accept_partial, unsigned radix,
                   ParsedInteger<std::uint32_t>& result);

}  // namespace hx4x
