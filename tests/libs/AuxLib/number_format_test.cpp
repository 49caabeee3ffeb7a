#include "AuxLib/number_format.hpp"

#include <gtest/gtest.h>

#include "case_name.hpp"

namespace hx4x {
namespace {

struct FormatCase {
    const char* name;
    std::uint32_t value;
    int alignment;
    unsigned width;
    std::uint8_t radix;
    std::uint8_t group;
    std::uint8_t flags;
    char fill;
    const char* expected;
};

class NumberFormatCases : public ::testing::TestWithParam<FormatCase> {};

TEST_P(NumberFormatCases, Text) {
    const FormatCase& c = GetParam();
    NumberFormat format(c.value);
    format.alignment = c.alignment;
    format.width = c.width;
    format.radix = c.radix;
    format.group_size = c.group;
    format.flags = c.flags;
    format.fill = c.fill;
    format.group_separator = '\'';
    EXPECT_EQ(format.to_string(), c.expected);
}

constexpr std::uint8_t Z = NumberFormat::zero_pad;
constexpr std::uint8_t P = NumberFormat::plus_sign;
constexpr std::uint8_t L = NumberFormat::lower_case;

INSTANTIATE_TEST_SUITE_P(
    Cases, NumberFormatCases,
    ::testing::Values(FormatCase{"Decimal", 255, 0, 0, 10, 0, 0, ' ', "255"},
                      FormatCase{"Zero", 0, 0, 0, 10, 0, 0, ' ', "0"},
                      FormatCase{"ZeroHasNoPlusSign", 0, 0, 0, 10, 0, P, ' ', "0"},
                      FormatCase{"PlusSign", 7, 0, 0, 10, 0, P, ' ', "+7"},
                      FormatCase{"ZeroPadded", 5, 0, 2, 10, 0, Z, ' ', "05"},
                      FormatCase{"ZeroPaddedWithPlusSign", 5, 0, 3, 10, 0, Z | P, ' ', "+05"},
                      FormatCase{"HexUpperCase", 0xAB, 0, 2, 16, 0, Z, ' ', "AB"},
                      FormatCase{"HexLowerCase", 0xAB, 0, 0, 16, 0, L, ' ', "ab"},
                      FormatCase{"Binary", 10, 0, 0, 2, 0, 0, ' ', "1010"},
                      FormatCase{"Radix36", 35, 0, 0, 36, 0, 0, ' ', "Z"},
                      FormatCase{"Radix1IsRefused", 12, 0, 0, 1, 0, 0, ' ', "##"},
                      FormatCase{"Radix37IsRefused", 12345, 0, 0, 37, 0, 0, ' ', "#####"},
                      FormatCase{"Largest32Bit", 4294967295u, 0, 0, 10, 0, 0, ' ', "4294967295"},
                      FormatCase{"GroupedInThrees", 1234567, 0, 0, 10, 3, 0, ' ', "1'234'567"},
                      FormatCase{"OneGroupHasNoSeparator", 123, 0, 0, 10, 3, 0, ' ', "123"},
                      FormatCase{"ZeroPaddedGrouped", 12, 0, 6, 10, 3, Z, ' ', "00'012"},
                      // Padding never leaves a separator in front of the number.
                      FormatCase{"PaddingStopsBeforeASeparator", 12, 0, 4, 10, 3, Z, ' ', "0'012"},
                      FormatCase{"PaddingWithSignStopsBeforeASeparator", 12, 0, 5, 10, 3, Z | P,
                                 ' ', "+0'012"},
                      FormatCase{"GroupsOfOneRightAligned", 7, 1, 3, 10, 1, Z, ' ', "0'7"},
                      FormatCase{"GroupsOfOnePadded", 7, 0, 4, 10, 1, Z, ' ', "0'0'7"},
                      FormatCase{"LeftAligned", 42, 0, 5, 10, 0, 0, '*', "42***"},
                      FormatCase{"RightAligned", 42, 1, 5, 10, 0, 0, '*', "***42"},
                      FormatCase{"CentredOddFill", 42, 2, 5, 10, 0, 0, '*', "*42**"},
                      FormatCase{"CentredEvenFill", 42, 2, 6, 10, 0, 0, '.', "..42.."},
                      FormatCase{"WiderThanTheWidth", 123456, 1, 3, 10, 0, 0, ' ', "123456"}),
    testing_support::CaseName());

TEST(NumberFormat, EightBitForm) {
    NumberFormat format(std::uint8_t{0x0F});
    format.radix = 16;
    format.width = 2;
    format.flags = NumberFormat::zero_pad;
    EXPECT_EQ(format.to_string(), "0F");
}

}  // namespace
}  // namespace hx4x
