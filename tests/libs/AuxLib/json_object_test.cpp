#include <gtest/gtest.h>

#include "case_name.hpp"
#include "AuxLib/json_object.hpp"

namespace hx4x {
namespace {

struct EscapeCase {
    const char* name;
    std::string text;
    std::string json;
};

class JsonEscape : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(JsonEscape, WritesValidJson) {
    EXPECT_EQ(json_string(GetParam().text), GetParam().json);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, JsonEscape,
    ::testing::Values(EscapeCase{"Empty", "", "\"\""}, EscapeCase{"Plain", "plain", "\"plain\""},
                      EscapeCase{"QuoteBackslashAndSlash", "a\"b\\c/d", "\"a\\\"b\\\\c/d\""},
                      EscapeCase{"ShortControlEscapes", "\n\r\t\b\f", "\"\\n\\r\\t\\b\\f\""},
                      EscapeCase{"OtherControlsAsCodePoints", std::string("\0\x01\x1f\x7f", 4),
                                 "\"\\u0000\\u0001\\u001f\\u007f\""},
                      // Well-formed UTF-8 passes through, two to four bytes.
                      EscapeCase{"Utf8PassesThrough", "\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80",
                                 "\"\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80\""},
                      // A Latin-1 byte, a lone continuation byte, a cut sequence at the end.
                      EscapeCase{"Latin1Byte", "caf\xe9", "\"caf\\u00e9\""},
                      EscapeCase{"LoneContinuationByte", "\x80", "\"\\u0080\""},
                      EscapeCase{"CutSequenceAtTheEnd", "\xe2\x82", "\"\\u00e2\\u0082\""},
                      // Overlong, surrogate and beyond U+10FFFF forms are not UTF-8.
                      EscapeCase{"Overlong", "\xc0\xaf", "\"\\u00c0\\u00af\""},
                      EscapeCase{"Surrogate", "\xed\xa0\x80", "\"\\u00ed\\u00a0\\u0080\""},
                      EscapeCase{"BeyondTheLastCodePoint", "\xf4\x90\x80\x80",
                                 "\"\\u00f4\\u0090\\u0080\\u0080\""},
                      // The highest code points that are valid stay.
                      EscapeCase{"HighestValidCodePoints", "\xed\x9f\xbf\xf4\x8f\xbf\xbf",
                                 "\"\xed\x9f\xbf\xf4\x8f\xbf\xbf\""}),
    testing_support::CaseName());

TEST(JsonObjectTest, MembersInOrderWithEveryKindOfValue) {
    const std::string text = JsonObject()
                                 .add("event", "result")
                                 .add_number("exit_status", 8)
                                 .add_number("negative", -3)
                                 .add_bool("yes", true)
                                 .add_bool("no", false)
                                 .add_null("after")
                                 .add("text", std::string("line\nnext"))
                                 .text();
    EXPECT_EQ(text,
              "{\"event\":\"result\",\"exit_status\":8,\"negative\":-3,\"yes\":true,\"no\":false,"
              "\"after\":null,\"text\":\"line\\nnext\"}");
    EXPECT_EQ(JsonObject().text(), "{}");
}

}  // namespace
}  // namespace hx4x
