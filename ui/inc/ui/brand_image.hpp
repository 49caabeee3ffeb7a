#pragma once

#include <cstddef>
#include <vector>

#include "ui/rgb.hpp"

namespace hx4x {

// A picture without any window: width × height pixels, row by row from the top. An image
// that could not be loaded is empty (0 × 0), and every drawing on it does nothing.
class BrandImage {
  public:
    BrandImage() = default;
    BrandImage(std::size_t width, std::size_t height, Rgb colour = {});

    std::size_t width() const { return width_; }
    std::size_t height() const { return height_; }
    bool empty() const { return pixels_.empty(); }
    const std::vector<Rgb>& pixels() const { return pixels_; }

    // x and y must lie within the picture.
    Rgb pixel(std::size_t x, std::size_t y) const { return pixels_[y * width_ + x]; }
    void set_pixel(std::size_t x, std::size_t y, Rgb colour) { pixels_[y * width_ + x] = colour; }

    void fill(Rgb colour);
    // One row from x = 0 to the width in one colour; a row outside does nothing.
    void fill_row(std::size_t y, Rgb colour);
    // Copies source with its top-left corner at (x, y), cut to this picture.
    void draw(const BrandImage& source, long long x, long long y);

    friend bool operator==(const BrandImage&, const BrandImage&) = default;

  private:
    std::size_t width_ = 0;
    std::size_t height_ = 0;
    std::vector<Rgb> pixels_;
};

}  // namespace hx4x
