#pragma once

#include <cstddef>
#include <string_view>

#include "ui/brand_image.hpp"
#include "ui/brand_table.hpp"

namespace hx4x {

// The window's two pictures as the program stores them: the logo band over the background.
inline constexpr char logo_resource_name[] = "VALDMORE_LOGO";
inline constexpr char background_resource_name[] = "VALDMORE_BACKGROUND";

struct BrandPictures {
    BrandImage logo;
    BrandImage background;
};

// Channel by channel c0 + row × (255 − c0) ÷ (rows − 1), truncated: the top colour at row 0,
// white at the last row. A picture of one row has only the top colour.
Rgb gradient_colour(Rgb top, std::size_t row, std::size_t rows);

// Recolours the stored pictures for a partner brand: the logo filled with the brand colour
// and the partner logo drawn at its own size at the top right (x = background width − its
// width, y = 0), the background overdrawn row by row with the gradient from the brand colour.
void apply_brand(BrandPictures& pictures, const Brand& brand, const BrandImage& partner_logo);

// A bitmap resource of the program; empty when it is missing or unreadable.
BrandImage program_picture(std::string_view name);

// The window's pictures for the program's release file name: the stored ones, recoloured
// when the name is a partner brand's.
BrandPictures program_brand_pictures(std::string_view release_file_name);

}  // namespace hx4x
