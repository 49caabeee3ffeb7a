#include "ui/brand_image.hpp"

#include <algorithm>

namespace hx4x {

BrandImage::BrandImage(std::size_t width, std::size_t height, Rgb colour)
    : width_(width), height_(height), pixels_(width * height, colour) {
    if (pixels_.empty()) {
        width_ = height_ = 0;
    }
}

void BrandImage::fill(Rgb colour) {
    std::fill(pixels_.begin(), pixels_.end(), colour);
}

void BrandImage::fill_row(std::size_t y, Rgb colour) {
    if (y < height_) {
        const auto row = pixels_.begin() + static_cast<std::ptrdiff_t>(y * width_);
        std::fill(row, row + static_cast<std::ptrdiff_t>(width_), colour);
    }
}

void BrandImage::draw(const BrandImage& source, long long x, long long y) {
    // The source's part that lands inside, as offsets into the source.
    const auto signed_width = static_cast<long long>(width_);
    const auto signed_height = static_cast<long long>(height_);
    const long long left = std::max(0LL, -x);
    const long long top = std::max(0LL, -y);
    const long long right = std::min(static_cast<long long>(source.width_), signed_width - x);
    const long long bottom = std::min(static_cast<long long>(source.height_), signed_height - y);
    for (long long row = top; row < bottom; ++row) {
        for (long long column = left; column < right; ++column) {
            set_pixel(
                static_cast<std::size_t>(x + column), static_cast<std::size_t>(y + row),
                source.pixel(static_cast<std::size_t>(column), static_cast<std::size_t>(row)));
        }
    }
}

}  // namespace hx4x
