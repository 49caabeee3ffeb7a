#include "AuxLib/parse_integer.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "case_name.hpp"
#include "fuzz_corpus.hpp"
#include "parse_integer_target.hpp"

namespace hx4x {
namespace {

struct SignedCase {
    const char* name;
    const char* text;
    std::size_t start;
    bool partial;
    unsigned radix;
    bool result;
    std::uint32_t flags;
    std::int32_t value;
    long stop;  // -1: none
};

class ParseSigned : public ::testing::TestWithParam<SignedCase> {};

TEST_P(ParseSigned, ValueFlagsAndStop) {
    const SignedCase& c = GetParam();
    ParsedInteger<std::int32_t> parsed;
    parsed.value = 0;
    EXPECT_EQ(parse_integer(c.text, c.start, c.partial, c.radix, parsed), c.result);
    EXPECT_EQ(parsed.flags, c.flags);
    EXPECT_EQ(parsed.value, c.value);
    if (c.stop < 0) {
        EXPECT_FALSE(parsed.stop.has_value());
    } else {
        ASSERT_TRUE(parsed.stop.has_value());
        EXPECT_EQ(*parsed.stop, static_cast<std::size_t>(c.stop));
    }
}

constexpr std::uint32_t C = parse_complete, E = parse_empty, S = parse_value_stored,
                        PO = parse_positive_overflow, NO = parse_negative_overflow;

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseSigned,
    ::testing::Values(
        SignedCase{"PartialStopsAtTheComma", "0,\"No error\"", 0, true, 10, false, S, 0, 1},
        SignedCase{"PartialNegativeStopsAtTheComma", "-113,\"Undefined header\"", 0, true, 10,
                   false, S, -113, 4},
        SignedCase{"LeadingBlankIsNoDigit", " 0", 0, true, 10, false, 0, 0, 0},
        SignedCase{"TrailingTextRefused", "0,x", 0, false, 10, false, 0, 0, 1},
        SignedCase{"Decimal", "123", 0, false, 10, true, C | S, 123, -1},
        SignedCase{"PlusSign", "+123", 0, false, 10, true, C | S, 123, -1},
        SignedCase{"NegativeFromAStart", "x-42", 1, false, 10, true, C | S, -42, -1},
        SignedCase{"EmptyText", "", 0, true, 10, false, E, 0, -1},
        SignedCase{"StartAtTheEnd", "12", 2, true, 10, false, E, 0, -1},
        SignedCase{"StartBeyondTheEnd", "12", 5, true, 10, false, E, 0, -1},
        SignedCase{"SignOnly", "-", 0, true, 10, false, 0, 0, -1},
        SignedCase{"Radix1Refused", "12", 0, true, 1, false, 0, 0, -1},
        SignedCase{"Radix37Refused", "12", 0, true, 37, false, 0, 0, -1},
        SignedCase{"Hex", "ff", 0, false, 16, true, C | S, 255, -1},
        SignedCase{"Radix36MixedCase", "Zz", 0, false, 36, true, C | S, 35 * 36 + 35, -1},
        SignedCase{"OctalStopsAtANine", "19", 0, true, 8, false, S, 1, 1},
        SignedCase{"Int32Max", "2147483647", 0, false, 10, true, C | S, 2147483647, -1},
        SignedCase{"Int32Min", "-2147483648", 0, false, 10, true, C | S, INT32_MIN, -1},
        SignedCase{"PositiveOverflowClamps", "2147483648", 0, false, 10, true, C | S | PO,
                   2147483647, -1},
        SignedCase{"NegativeOverflowClamps", "-2147483649", 0, false, 10, true, C | S | NO,
                   INT32_MIN, -1},
        SignedCase{"FarPositiveOverflowClamps", "99999999999999999999", 0, false, 10, true,
                   C | S | PO, 2147483647, -1},
        SignedCase{"OverflowWithTrailingTextRefused", "99999999999,", 0, false, 10, false, PO, 0,
                   11},
        // With partial input an overflowed number is the limit, never a cut-off value.
        SignedCase{"PartialOverflowIsTheLimit", "99999999999,", 0, true, 10, false, S | PO,
                   2147483647, 11}),
    testing_support::CaseName());

TEST(ParseUnsigned, SignIsNoDigitAndRangeIs32Bits) {
    ParsedInteger<std::uint32_t> parsed;
    EXPECT_FALSE(parse_integer("+112", 0, false, 10, parsed));
    EXPECT_EQ(parsed.flags & parse_value_stored, 0u);
    EXPECT_EQ(parsed.stop, std::optional<std::size_t>(0));

    EXPECT_TRUE(parse_integer("4294967295", 0, false, 10, parsed));
    EXPECT_EQ(parsed.value, 4294967295u);

    ParsedInteger<std::uint32_t> over;
    EXPECT_TRUE(parse_integer("4294967296", 0, false, 10, over));
    EXPECT_EQ(over.value, 4294967295u);
    EXPECT_EQ(over.flags, parse_complete | parse_value_stored | parse_positive_overflow);

    ParsedInteger<std::uint32_t> dotted;
    EXPECT_FALSE(parse_integer("1.12", 0, false, 10, dotted));
    EXPECT_EQ(dotted.flags & parse_value_stored, 0u);
}

TEST(ParseIntegerFuzzRegression, KeptInputsAgreeWithTheReference) {
    auto inputs = testing_support::fuzz_regression_inputs("fuzz_parse_integer");
    inputs.push_back(std::string("\x0a\x00\x01-2147483648", 14));
    inputs.push_back(std::string("\x10\x00\x00+fFfFfFfF0", 13));
    inputs.push_back(std::string("\x24\x01\x01 zzzzzzzzzzzzzzzz!", 21));
    for (const std::string& input : inputs) {
        fuzzing::run_parse_integer_case(reinterpret_cast<const std::uint8_t*>(input.data()),
                                        input.size());
    }
    SUCCEED();
}

}  // namespace
}  // namespace hx4x
