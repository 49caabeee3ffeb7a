#include "visa-search/search_expression.hpp"

#include <gtest/gtest.h>

#include <string>

#include "case_name.hpp"

namespace hx4x::visa_search {
namespace {

struct MatchCase {
    const char* expression;
    const char* name;
    bool matches;
};

class SearchExpressionMatch : public ::testing::TestWithParam<MatchCase> {};

TEST_P(SearchExpressionMatch, MatchesTheWholeNameIgnoringCase) {
    const MatchCase& c = GetParam();
    SearchExpression search;
    std::string error;
    ASSERT_TRUE(search.compile(c.expression, &error)) << c.expression << ": " << error;
    EXPECT_EQ(search.matches(c.name), c.matches) << c.expression << " vs " << c.name;
}

const MatchCase match_cases[] = {
    {"?*::INSTR", "USB0::0x5D3C::0x0090::100000::INSTR", true},
    {"?*::INSTR", "GPIB0::12::INSTR", true},
    {"?*::INSTR", "TCPIP0::host::5025::SOCKET", false},
    {"?*::INSTR", "::INSTR", true},  // * repeats the ?, so ?* may be empty
    {"??*::INSTR", "::INSTR", false},
    {"?*", "", true},
    {"?*", "anything at all", true},
    {"?", "", false},
    {"?", "ab", false},
    {"(USB|GPIB)?*::INSTR", "USB0::1::2::3::INSTR", true},
    {"(USB|GPIB)?*::INSTR", "GPIB0::12::INSTR", true},
    {"(USB|GPIB)?*::INSTR", "ASRL1::INSTR", false},
    {"USB?*|GPIB?*", "gpib3::1::INSTR", true},
    {"USB?*|GPIB?*", "TCPIP0::x::INSTR", false},
    {"usb0::?*::instr", "USB0::0x5D3C::0x0090::100000::INSTR", true},
    {"GPIB0::12::INSTR", "GPIB0::12::INSTR::extra", false},
    {"GPIB0::12::INSTR", "XGPIB0::12::INSTR", false},
    {"GPIB[0-9]::?*", "GPIB7::1::INSTR", true},
    {"GPIB[0-9]::?*", "GPIBx::1::INSTR", false},
    {"GPIB[^0-3]::?*", "GPIB7::1", true},
    {"GPIB[^0-3]::?*", "GPIB2::1", false},
    {"[a-c]+", "ABCCBA", true},
    {"[a-c]+", "abd", false},
    {"[^a]", "A", false},  // case folding comes before the negation
    {"[^a]", "b", true},
    {"[a-]", "-", true},
    {"[-a]", "-", true},
    {"[\\]]", "]", true},
    {"[\\^x]", "^", true},
    {"a*", "", true},
    {"a*", "aaaa", true},
    {"a+", "", false},
    {"a+", "AAA", true},
    {"ab*c", "ac", true},
    {"ab+c", "ac", false},
    {"(ab)*", "ababab", true},
    {"(ab)*", "aba", false},
    {"(ab)+c", "c", false},
    {"(a|b)*c", "abbac", true},
    {"((a|b)c)+", "acbcac", true},
    {"((a|b)c)+", "acbcab", false},
    {"a**", "aaa", true},
    {"a+*", "", true},
    {"(a*)*b", "aaab", true},
    {"(a*)+", "", true},
    {"\\?", "?", true},
    {"\\?", "x", false},
    {"\\*a", "*A", true},
    {"a\\|b", "a|b", true},
    {"a\\|b", "a", false},
    {"\\(x\\)", "(x)", true},
    {"]", "]", true},
    {"a|b|c", "c", true},
    {"a|b|c", "ab", false},
};

INSTANTIATE_TEST_SUITE_P(Table, SearchExpressionMatch, ::testing::ValuesIn(match_cases),
                         // The expression and the resource name tried, both spelt out.
                         [](const ::testing::TestParamInfo<MatchCase>& param) {
                             return testing_support::text_case_name(param.param.expression) +
                                    "_Against_" + testing_support::text_case_name(param.param.name);
                         });

class SearchExpressionRefused : public ::testing::TestWithParam<const char*> {};

TEST_P(SearchExpressionRefused, GivesAReasonAndMatchesNothing) {
    SearchExpression search;
    std::string error;
    EXPECT_FALSE(search.compile(GetParam(), &error)) << GetParam();
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(search.matches(""));
    EXPECT_FALSE(search.matches("GPIB0::12::INSTR"));
}

INSTANTIATE_TEST_SUITE_P(Table, SearchExpressionRefused,
                         ::testing::Values("", "|", "a|", "|a", "a||b", "()", "(a", "a)", "(a|)",
                                           "*", "+a", "a|*", "(*a)", "[", "[a", "[]", "[^]",
                                           "[z-a]", "\\", "a\\", "[a\\"),
                         testing_support::TextCaseName());

TEST(SearchExpression, RefusesNestingBeyondTheLimitButTakesItAtTheLimit) {
    const int limit = SearchExpression::max_nesting;
    SearchExpression search;
    EXPECT_TRUE(search.compile(std::string(static_cast<std::size_t>(limit), '(') + "a" +
                               std::string(static_cast<std::size_t>(limit), ')')));
    EXPECT_TRUE(search.matches("A"));
    EXPECT_FALSE(search.compile(std::string(static_cast<std::size_t>(limit) + 1, '(') + "a" +
                                std::string(static_cast<std::size_t>(limit) + 1, ')')));
}

TEST(SearchExpression, RefusesExpressionsLongerThanTheLimit) {
    SearchExpression search;
    EXPECT_TRUE(search.compile(std::string(SearchExpression::max_length, 'a')));
    EXPECT_FALSE(search.compile(std::string(SearchExpression::max_length + 1, 'a')));
}

TEST(SearchExpression, NestedRepeatsStayLinear) {
    // A backtracking matcher would take exponential time here.
    SearchExpression search;
    ASSERT_TRUE(search.compile("(a*)*(a*)*(a*)*(a*)*b"));
    EXPECT_FALSE(search.matches(std::string(3000, 'a')));
}

TEST(SearchExpression, MatchesBytesOutsideAscii) {
    SearchExpression search;
    ASSERT_TRUE(search.compile("?\xE9"));
    EXPECT_TRUE(search.matches("x\xE9"));
    EXPECT_FALSE(search.matches("x\xC9"));  // no case folding outside ASCII
}

}  // namespace
}  // namespace hx4x::visa_search
