#include "ui/brand_pictures.hpp"

#include "platform/program_resource.hpp"
#include "ui/bitmap_reader.hpp"

namespace hx4x {

namespace {

std::uint8_t gradient_channel(std::uint8_t top, std::size_t row, std::size_t rows) {
    if (rows < 2) {
        return top;
    }
    return static_cast<std::uint8_t>(top + row * (255u - top) / (rows - 1));
}

}  // namespace

Rgb gradient_colour(Rgb top, std::size_t row, std::size_t rows) {
    return {gradient_channel(top.red, row, rows), gradient_channel(top.green, row, rows),
            gradient_channel(top.blue, row, rows)};
}

void apply_brand(BrandPictures& pictures, const Brand& brand, const BrandImage& partner_logo) {
    pictures.logo.fill(brand.colour);
    pictures.logo.draw(partner_logo,
                       static_cast<long long>(pictures.background.width()) -
                           static_cast<long long>(partner_logo.width()),
                       0);
    const std::size_t rows = pictures.background.height();
    for (std::size_t row = 0; row < rows; ++row) {
        pictures.background.fill_row(row, gradient_colour(brand.colour, row, rows));
    }
}

BrandImage program_picture(std::string_view name) {
    return read_bitmap(platform::program_resource(name, platform::bitmap_type))
        .value_or(BrandImage{});
}

BrandPictures program_brand_pictures(std::string_view release_file_name) {
    BrandPictures pictures{program_picture(logo_resource_name),
                           program_picture(background_resource_name)};
    if (const Brand* brand = find_brand(release_file_name)) {
        apply_brand(pictures, *brand, program_picture(brand->partner_logo));
    }
    return pictures;
}

}  // namespace hx4x
