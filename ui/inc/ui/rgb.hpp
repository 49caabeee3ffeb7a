#pragma once

#include <cstdint>

namespace hx4x {

// One colour as red, green and blue, 8 bits each.
struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    friend bool operator==(const Rgb&, const Rgb&) = default;
};

}  // namespace hx4x
