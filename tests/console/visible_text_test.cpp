#include "console/visible_text.hpp"

#include <gtest/gtest.h>

#include "case_name.hpp"

namespace hx4x {
namespace {

struct VisibleCase {
    const char* name;
    std::string input;
    std::string as_text;  // visible_text
    std::string as_name;  // visible_name
};

class VisibleText : public ::testing::TestWithParam<VisibleCase> {};

TEST_P(VisibleText, ShowsEveryControlAndKeepsUtf8) {
    EXPECT_EQ(visible_text(GetParam().input), GetParam().as_text);
    EXPECT_EQ(visible_name(GetParam().input), GetParam().as_name);
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, VisibleText,
    ::testing::Values(
        VisibleCase{"EscapeAndDelete", "a\x1B[2Jb\x7F", "a\\x1B[2Jb\\x7F", "a\\x1B[2Jb\\x7F"},
        VisibleCase{"LineFeedAndTabKeptInTextShownInName", "a\nb\tc", "a\nb\tc", "a\\x0Ab\\x09c"},
        VisibleCase{"C1ControlAsUtf8",
                    "a\xC2\x9B"
                    "1m",
                    "a\\xC2\\x9B1m", "a\\xC2\\x9B1m"},
        VisibleCase{"RawC1Byte",
                    "a\x9B"
                    "1m\x80",
                    "a\\x9B1m\\x80", "a\\x9B1m\\x80"},
        VisibleCase{"ValidUtf8Kept", "\xC3\xA9t\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80 \xC2\xA0",
                    "\xC3\xA9t\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80 \xC2\xA0",
                    "\xC3\xA9t\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80 \xC2\xA0"},
        VisibleCase{"Latin1ByteKept", "caf\xE9", "caf\xE9", "caf\xE9"},
        // An overlong or cut sequence is no UTF-8: its C1-range bytes are shown.
        VisibleCase{"OverlongAndCutSequences", "\xC0\x9B|\xE2\x82", "\xC0\\x9B|\xE2\\x82",
                    "\xC0\\x9B|\xE2\\x82"}),
    testing_support::CaseName());

}  // namespace
}  // namespace hx4x
