#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "ui/brand_image.hpp"

namespace hx4x {

// Larger pictures than any the window shows are refused.
inline constexpr std::size_t bitmap_max_side = 4096;

// Reads an 8-bit palettised bitmap: a BMP file, or the same without its 14-byte file
// header as Windows keeps bitmap resources. Rows stored plainly (bottom-up or top-down) or
// run-length encoded (RLE8). Nothing for any other kind and for a damaged file: a header,
// palette or row that does not fit the bytes, a pixel outside the palette, runs that leave
// the picture, an encoding without its end mark.
std::optional<BrandImage> read_bitmap(std::span<const std::uint8_t> bytes);

}  // namespace hx4x
