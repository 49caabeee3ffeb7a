#include "ui/bitmap_reader.hpp"

#include <vector>

namespace hx4x {

namespace {

constexpr std::size_t file_header_size = 14;
constexpr std::size_t info_header_size = 40;
constexpr std::uint32_t plain_rows = 0;  // BI_RGB
constexpr std::uint32_t rle8 = 1;        // BI_RLE8

class Bytes {
  public:
    explicit Bytes(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::size_t size() const { return bytes_.size(); }
    bool has(std::size_t at, std::size_t count) const {
        return at <= bytes_.size() && count <= bytes_.size() - at;
    }
    // Little-endian fields; callers check has() first.
    std::uint8_t u8(std::size_t at) const { return bytes_[at]; }
    std::uint16_t u16(std::size_t at) const {
        return static_cast<std::uint16_t>(bytes_[at] | bytes_[at + 1] << 8);
    }
    std::uint32_t u32(std::size_t at) const {
        return static_cast<std::uint32_t>(bytes_[at]) |
               static_cast<std::uint32_t>(bytes_[at + 1]) << 8 |
               static_cast<std::uint32_t>(bytes_[at + 2]) << 16 |
               static_cast<std::uint32_t>(bytes_[at + 3]) << 24;
    }
    std::int32_t i32(std::size_t at) const { return static_cast<std::int32_t>(u32(at)); }

  private:
    std::span<const std::uint8_t> bytes_;
};

// Palette indexes of the picture, row 0 at the bottom as the file stores them.
using Indexes = std::vector<std::uint8_t>;

bool read_plain_rows(const Bytes& b, std::size_t at, std::size_t width, std::size_t rows,
                     bool top_down, Indexes& out) {
    const std::size_t stride = (width + 3) & ~std::size_t{3};
    if (!b.has(at, stride * rows)) {
        return false;
    }
    for (std::size_t row = 0; row < rows; ++row) {
        const std::size_t bottom_up = top_down ? rows - 1 - row : row;
        for (std::size_t x = 0; x < width; ++x) {
            out[bottom_up * width + x] = b.u8(at + row * stride + x);
        }
    }
    return true;
}

// Every step consumes at least two bytes and writes only inside the picture, so the work is
// bounded by the file whatever the runs claim.
bool read_rle8(const Bytes& b, std::size_t at, std::size_t width, std::size_t rows, Indexes& out) {
    std::size_t x = 0;
    std::size_t y = 0;
    while (b.has(at, 2)) {
        const std::size_t count = b.u8(at);
        const std::uint8_t value = b.u8(at + 1);
        at += 2;
        if (count > 0) {
            if (y >= rows || count > width - x) {
                return false;
            }
            for (std::size_t i = 0; i < count; ++i) {
                out[y * width + x++] = value;
            }
            continue;
        }
        switch (value) {
            case 0:  // end of line
                x = 0;
                ++y;
                break;
            case 1:  // end of bitmap
                return true;
            case 2:  // move right and up
                if (!b.has(at, 2)) {
                    return false;
                }
                x += b.u8(at);
                y += b.u8(at + 1);
                at += 2;
                if (x > width || y > rows) {
                    return false;
                }
                break;
            default: {  // a stretch of value pixels given one by one, padded to 16 bits
                const std::size_t length = value;
                if (y >= rows || length > width - x || !b.has(at, length + (length & 1))) {
                    return false;
                }
                for (std::size_t i = 0; i < length; ++i) {
                    out[y * width + x++] = b.u8(at + i);
                }
                at += length + (length & 1);
                break;
            }
        }
    }
    return false;  // no end mark
}

}  // namespace

std::optional<BrandImage> read_bitmap(std::span<const std::uint8_t> bytes) {
    const Bytes b(bytes);
    std::size_t info = 0;
    std::optional<std::size_t> pixels_at;
    if (b.has(0, 2) && b.u8(0) == 'B' && b.u8(1) == 'M') {
        if (!b.has(0, file_header_size)) {
            return std::nullopt;
        }
        pixels_at = b.u32(10);
        info = file_header_size;
    }
    if (!b.has(info, info_header_size)) {
        return std::nullopt;
    }
    const std::uint32_t header_size = b.u32(info);
    const std::int32_t width = b.i32(info + 4);
    const std::int32_t height = b.i32(info + 8);
    const std::uint32_t compression = b.u32(info + 16);
    const std::uint32_t colours_used = b.u32(info + 32);
    const bool top_down = height < 0;
    const auto max_side = static_cast<std::int32_t>(bitmap_max_side);
    if (header_size < info_header_size || !b.has(info, header_size) || b.u16(info + 12) != 1 ||
        b.u16(info + 14) != 8 || width <= 0 || width > max_side || height == 0 ||
        height > max_side || height < -max_side ||
        (compression != plain_rows && compression != rle8) || (top_down && compression == rle8) ||
        colours_used > 256) {
        return std::nullopt;
    }
    const std::size_t palette_size = colours_used == 0 ? 256 : colours_used;
    const std::size_t palette_at = info + header_size;
    if (!b.has(palette_at, 4 * palette_size)) {
        return std::nullopt;
    }
    const std::size_t palette_end = palette_at + 4 * palette_size;
    const std::size_t data_at = pixels_at.value_or(palette_end);
    if (data_at < palette_end || data_at > b.size()) {
        return std::nullopt;
    }

    const auto columns = static_cast<std::size_t>(width);
    const auto rows = static_cast<std::size_t>(top_down ? -height : height);
    Indexes indexes(columns * rows, 0);
    const bool read = compression == rle8
                          ? read_rle8(b, data_at, columns, rows, indexes)
                          : read_plain_rows(b, data_at, columns, rows, top_down, indexes);
    if (!read) {
        return std::nullopt;
    }
    BrandImage image(columns, rows);
    for (std::size_t y = 0; y < rows; ++y) {
        for (std::size_t x = 0; x < columns; ++x) {
            const std::size_t index = indexes[(rows - 1 - y) * columns + x];
            if (index >= palette_size) {
                return std::nullopt;
            }
            const std::size_t entry = palette_at + 4 * index;  // blue, green, red, unused
            image.set_pixel(x, y, Rgb{b.u8(entry + 2), b.u8(entry + 1), b.u8(entry)});
        }
    }
    return image;
}

}  // namespace hx4x
