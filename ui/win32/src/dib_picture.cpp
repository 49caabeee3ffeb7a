#include "ui_win32/dib_picture.hpp"

#include <cstdint>
#include <utility>

namespace hx4x::win32 {

DibPicture::DibPicture(const BrandImage& image) {
    if (image.empty()) {
        return;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = static_cast<LONG>(image.width());
    // Negative: the rows run from the top, as the picture keeps them.
    info.bmiHeader.biHeight = -static_cast<LONG>(image.height());
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap_ == nullptr || bits == nullptr) {
        return;
    }
    auto* pixel = static_cast<std::uint32_t*>(bits);
    for (const Rgb& colour : image.pixels()) {
        *pixel++ = static_cast<std::uint32_t>(colour.blue) |
                   (static_cast<std::uint32_t>(colour.green) << 8) |
                   (static_cast<std::uint32_t>(colour.red) << 16);
    }
    width_ = static_cast<int>(image.width());
    height_ = static_cast<int>(image.height());
}

DibPicture::~DibPicture() {
    if (bitmap_ != nullptr) {
        DeleteObject(bitmap_);
    }
}

DibPicture::DibPicture(DibPicture&& other) noexcept
    : bitmap_(std::exchange(other.bitmap_, nullptr)),
      width_(std::exchange(other.width_, 0)),
      height_(std::exchange(other.height_, 0)) {}

DibPicture& DibPicture::operator=(DibPicture&& other) noexcept {
    if (this != &other) {
        if (bitmap_ != nullptr) {
            DeleteObject(bitmap_);
        }
        bitmap_ = std::exchange(other.bitmap_, nullptr);
        width_ = std::exchange(other.width_, 0);
        height_ = std::exchange(other.height_, 0);
    }
    return *this;
}

}  // namespace hx4x::win32
