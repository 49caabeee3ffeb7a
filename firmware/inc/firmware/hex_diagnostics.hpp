#pragma once

#include <cstdint>
#include <string>

namespace hx4x {

// Two upper-case hexadecimal digits.
std::string hex_byte_text(std::uint32_t value);
// Four upper-case hexadecimal digits.
std::string hex_word_text(std::uint32_t value);

// "Expected hexademical digit, but found" and the description of the character.
std::string digit_diagnostic(std::uint8_t character);
// "First symbol of each record should be ':', but found" and the description of the character.
std::string record_start_diagnostic(std::uint8_t character);

}  // namespace hx4x
