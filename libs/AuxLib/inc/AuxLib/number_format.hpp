#pragma once

#include <cstdint>
#include <string>

namespace hx4x {

// An unsigned integer written as text in any radix from 2 to 36, with width, fill,
// alignment, zero padding, plus sign and digit grouping. The defaults give plain decimal.
struct NumberFormat {
    enum Alignment : int { left = 0, right = 1, centred = 2 };
    enum Flags : std::uint8_t { zero_pad = 0x1, plus_sign = 0x2, lower_case = 0x4 };

    explicit NumberFormat(std::uint32_t v) : value(v) {}
    // The 8-bit form.
    explicit NumberFormat(std::uint8_t v) : value(v) {}

    std::string to_string() const;

    std::uint32_t value;
    int alignment = left;
    unsigned width = 0;
    std::uint8_t radix = 10;
    std::uint8_t group_size = 0;
    std::uint8_t flags = 0;
    char fill = ' ';
    char group_separator = ' ';
};

}  // namespace hx4x
