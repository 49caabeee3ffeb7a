// The stored pictures, their recolouring per release name, and the bitmap reader.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/executable_suffix.hpp"
#include "platform/program_resource.hpp"
#include "ui/bitmap_reader.hpp"
#include "ui/brand_pictures.hpp"

namespace hx4x {
namespace {

std::string release(const char* name) {
    return name + std::string(platform::executable_suffix());
}

struct BrandCase {
    const char* name;
    std::string release_file_name;
    std::optional<Rgb> colour;  // none: the pictures stay as stored
    const char* partner_logo;
    Rgb middle_row;  // row 170 of the 340 rows of the gradient
};

class BrandPicturesFor : public ::testing::TestWithParam<BrandCase> {};

TEST_P(BrandPicturesFor, TheReleaseName) {
    const BrandCase& c = GetParam();
    const BrandPictures stored{program_picture(logo_resource_name),
                               program_picture(background_resource_name)};
    ASSERT_EQ(stored.logo.width(), 580u);
    ASSERT_EQ(stored.background.height(), 340u);
    const BrandPictures pictures = program_brand_pictures(c.release_file_name);
    if (!c.colour) {
        EXPECT_EQ(pictures.logo, stored.logo);
        EXPECT_EQ(pictures.background, stored.background);
        return;
    }
    const Rgb white{255, 255, 255};
    const BrandImage partner = program_picture(c.partner_logo);
    ASSERT_FALSE(partner.empty());
    const std::size_t partner_x = 580 - partner.width();
    for (std::size_t y = 0; y < 48; ++y) {
        for (std::size_t x = 0; x < 580; ++x) {
            const Rgb expected = x < partner_x ? *c.colour : partner.pixel(x - partner_x, y);
            ASSERT_EQ(pictures.logo.pixel(x, y), expected) << x << ", " << y;
        }
    }
    // The partner logo's own background is the brand colour; its wordmark is white.
    EXPECT_NE(partner.pixels(), std::vector<Rgb>(partner.pixels().size(), *c.colour));
    const auto row_is = [&](std::size_t y, Rgb colour) {
        for (std::size_t x = 0; x < 580; ++x) {
            if (!(pictures.background.pixel(x, y) == colour)) {
                return false;
            }
        }
        return true;
    };
    EXPECT_TRUE(row_is(0, *c.colour));
    EXPECT_TRUE(row_is(1, *c.colour));  // 255 − c0 < 339: the first steps round down
    EXPECT_TRUE(row_is(170, c.middle_row));
    EXPECT_TRUE(row_is(338, (Rgb{254, 254, 254})));
    EXPECT_TRUE(row_is(339, white));
}

INSTANTIATE_TEST_SUITE_P(
    Branding, BrandPicturesFor,
    ::testing::Values(
        BrandCase{
            "Rv226x", release("RV226xLoader"), Rgb{0, 73, 182}, "DWERN_LOGO", {127, 164, 218}},
        BrandCase{"Lta5xLma5x",
                  release("LTA5xLMA5xLoader"),
                  Rgb{48, 72, 118},
                  "QUORVELAN_LOGO",
                  {151, 163, 186}},
        BrandCase{"Hx4x", release("HX4xLoader"), std::nullopt, "", {}},
        BrandCase{"OtherCase", release("rv226xloader"), std::nullopt, "", {}},
        BrandCase{"TrailingBlank", release("LTA5xLMA5xLoader") + " ", std::nullopt, "", {}},
        BrandCase{"OtherSuffix", release("RV226xLoader") + ".bak", std::nullopt, "", {}},
        BrandCase{"Empty", "", std::nullopt, "", {}}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

TEST(BrandPictures, HaveTheirSizes) {
    const struct {
        const char* name;
        std::size_t width, height;
    } pictures[] = {{"VALDMORE_LOGO", 580, 48},
                    {"VALDMORE_BACKGROUND", 580, 340},
                    {"DWERN_LOGO", 197, 48},
                    {"QUORVELAN_LOGO", 189, 48}};
    for (const auto& p : pictures) {
        const BrandImage image = program_picture(p.name);
        EXPECT_EQ(image.width(), p.width) << p.name;
        EXPECT_EQ(image.height(), p.height) << p.name;
    }
}

// White captions stand on the stored background; they need a contrast of at least 7:1.
TEST(BrandPictures, StoredBackgroundIsDarkWhereCaptionsStand) {
    const BrandImage background = program_picture(background_resource_name);
    const auto linear = [](std::uint8_t c) {
        const double v = c / 255.0;
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    for (const std::size_t first_row : {10u, 116u, 211u}) {
        for (std::size_t y = first_row; y < first_row + 14; ++y) {
            for (std::size_t x = 10; x < 330; ++x) {
                const Rgb p = background.pixel(x, y);
                const double luminance =
                    0.2126 * linear(p.red) + 0.7152 * linear(p.green) + 0.0722 * linear(p.blue);
                ASSERT_GE(1.05 / (luminance + 0.05), 7.0) << x << ", " << y;
            }
        }
    }
}

TEST(BrandPictures, GradientOfOneRowIsTheBrandColour) {
    EXPECT_EQ(gradient_colour({1, 2, 3}, 0, 1), (Rgb{1, 2, 3}));
    EXPECT_EQ(gradient_colour({1, 2, 3}, 1, 2), (Rgb{255, 255, 255}));
}

TEST(BrandPictures, PartnerLogoIsCutWhereTheLogoEnds) {
    BrandPictures pictures{BrandImage(4, 1), BrandImage(3, 2)};  // a logo wider than the back
    apply_brand(pictures, partner_brands[0], BrandImage(2, 2, {9, 9, 9}));
    EXPECT_EQ(pictures.logo.pixels(),
              (std::vector<Rgb>{{0, 73, 182}, {9, 9, 9}, {9, 9, 9}, {0, 73, 182}}));
}

// A 3 × 2 picture with a 3-colour palette, as a file, with the given changes.
struct Bitmap {
    std::int32_t width = 3, height = 2;
    std::uint16_t planes = 1, bits = 8;
    std::uint32_t compression = 0, colours = 3;
    bool file_header = true;
    std::vector<std::uint8_t> data = {0, 1, 2, 0, 0, 2, 1, 0};  // bottom row first, padded
    std::optional<std::uint32_t> data_offset;

    std::vector<std::uint8_t> bytes() const {
        std::vector<std::uint8_t> b;
        const auto put = [&b](std::uint32_t v, int size) {
            for (int i = 0; i < size; ++i) {
                b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
            }
        };
        const std::uint32_t offset = data_offset.value_or(14 + 40 + 4 * 3);
        if (file_header) {
            b = {'B', 'M'};
            put(0, 4);
            put(0, 4);
            put(offset, 4);
        }
        put(40, 4);
        put(static_cast<std::uint32_t>(width), 4);
        put(static_cast<std::uint32_t>(height), 4);
        put(planes, 2);
        put(bits, 2);
        put(compression, 4);
        put(0, 4);
        put(0, 4);
        put(0, 4);
        put(colours, 4);
        put(0, 4);
        b.insert(b.end(), {10, 20, 30, 0, 40, 50, 60, 0, 70, 80, 90, 0});  // blue, green, red
        b.insert(b.end(), data.begin(), data.end());
        return b;
    }
};

const Rgb c0{30, 20, 10}, c1{60, 50, 40}, c2{90, 80, 70};

// The picture every good variant of Bitmap must give: top row 0 2 1, bottom row 0 1 2.
const std::vector<Rgb> expected_pixels = {c0, c2, c1, c0, c1, c2};

struct BitmapCase {
    const char* name;
    Bitmap bitmap;
    bool readable;
};

Bitmap with(void (*change)(Bitmap&)) {
    Bitmap b;
    change(b);
    return b;
}

std::vector<BitmapCase> bitmap_cases() {
    return {
        {"PlainBottomUp", Bitmap{}, true},
        {"WithoutFileHeader", with([](Bitmap& b) { b.file_header = false; }), true},
        {"PlainTopDown", with([](Bitmap& b) {
             b.height = -2;
             b.data = {0, 2, 1, 0, 0, 1, 2, 0};
         }),
         true},
        // A stretch given pixel by pixel (padded), end of line, runs, end of bitmap.
        {"Rle8", with([](Bitmap& b) {
             b.compression = 1;
             b.data = {0, 3, 0, 1, 2, 0, 0, 0, 1, 0, 1, 2, 1, 1, 0, 0, 0, 1};
         }),
         true},
        // A move over the first pixel of the top row, which keeps index 0.
        {"Rle8Delta", with([](Bitmap& b) {
             b.compression = 1;
             b.data = {0, 3, 0, 1, 2, 0, 0, 0, 0, 2, 1, 0, 1, 2, 1, 1, 0, 1};
         }),
         true},
        {"Empty", with([](Bitmap& b) { b.data.clear(); }), false},
        {"FourBitsPerPixel", with([](Bitmap& b) { b.bits = 4; }), false},
        {"TwoPlanes", with([](Bitmap& b) { b.planes = 2; }), false},
        {"ZeroWidth", with([](Bitmap& b) { b.width = 0; }), false},
        {"NegativeWidth", with([](Bitmap& b) { b.width = -3; }), false},
        {"ZeroHeight", with([](Bitmap& b) { b.height = 0; }), false},
        {"HugeHeight", with([](Bitmap& b) { b.height = 1 << 30; }), false},
        {"SmallestHeight", with([](Bitmap& b) { b.height = INT32_MIN; }), false},
        {"Bitfields", with([](Bitmap& b) { b.compression = 3; }), false},
        {"TopDownRle", with([](Bitmap& b) {
             b.compression = 1;
             b.height = -2;
         }),
         false},
        {"PaletteOf257", with([](Bitmap& b) { b.colours = 257; }), false},
        {"PaletteBeyondTheFile", with([](Bitmap& b) { b.colours = 200; }), false},
        {"PixelsInsideThePalette", with([](Bitmap& b) { b.data_offset = 60; }), false},
        {"PixelsBeyondTheFile", with([](Bitmap& b) { b.data_offset = 1000; }), false},
        {"RowsCut", with([](Bitmap& b) { b.data.pop_back(); }), false},
        {"IndexOutsideThePalette", with([](Bitmap& b) { b.data[1] = 3; }), false},
        {"RleRunPastTheRow", with([](Bitmap& b) {
             b.compression = 1;
             b.data = {4, 0, 0, 1};
         }),
         false},
        {"RleWithoutEnd", with([](Bitmap& b) {
             b.compression = 1;
             b.data = {3, 0, 0, 0};
         }),
         false},
        {"RleRowsBeyondTheHeight", with([](Bitmap& b) {
             b.compression = 1;
             b.data = {0, 0, 0, 0, 1, 0, 0, 1};
         }),
         false},
        {"RleDeltaOutside", with([](Bitmap& b) {
             b.compression = 1;
             b.data = {0, 2, 4, 0, 0, 1};
         }),
         false},
        {"RleStretchCut", with([](Bitmap& b) {
             b.compression = 1;
             b.data = {0, 3, 0, 1};
         }),
         false},
        {"RleHalfStep", with([](Bitmap& b) {
             b.compression = 1;
             b.data = {3, 0, 0};
         }),
         false},
    };
}

class BitmapReader : public ::testing::TestWithParam<BitmapCase> {};

TEST_P(BitmapReader, ReadsGoodFilesAndRefusesDamagedOnes) {
    const BitmapCase& c = GetParam();
    const std::vector<std::uint8_t> bytes = c.bitmap.bytes();
    const std::optional<BrandImage> image = read_bitmap(bytes);
    ASSERT_EQ(image.has_value(), c.readable);
    if (image) {
        EXPECT_EQ(image->width(), 3u);
        EXPECT_EQ(image->height(), 2u);
        EXPECT_EQ(image->pixels(), expected_pixels);
    }
}

INSTANTIATE_TEST_SUITE_P(Branding, BitmapReader, ::testing::ValuesIn(bitmap_cases()),
                         [](const auto& param_info) { return std::string(param_info.param.name); });

}  // namespace
}  // namespace hx4x
