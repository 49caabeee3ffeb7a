#pragma once

#include <windows.h>

#include "ui/brand_image.hpp"

namespace hx4x::win32 {

// A brand picture as a device-independent bitmap the window can draw; owns the bitmap. An
// empty picture gives no bitmap and a size of 0 × 0.
class DibPicture {
  public:
    DibPicture() = default;
    explicit DibPicture(const BrandImage& image);
    ~DibPicture();
    DibPicture(DibPicture&& other) noexcept;
    DibPicture& operator=(DibPicture&& other) noexcept;
    DibPicture(const DibPicture&) = delete;
    DibPicture& operator=(const DibPicture&) = delete;

    HBITMAP bitmap() const { return bitmap_; }
    int width() const { return width_; }
    int height() const { return height_; }

  private:
    HBITMAP bitmap_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace hx4x::win32
