#include "update/reply_parsing.hpp"

#include <gtest/gtest.h>

#include <string>

namespace hx4x {
namespace {

TEST(ReplyParsingTest, ErrorQueueReplyMustStartWithTheNumberZero) {
    struct Case {
        std::string reply;
        bool no_error;
    };
    const Case cases[] = {
        {"0,\"No error\"\n", true},
        {"0", true},
        {"+0,\"No error\"", true},
        {"-0,x", true},
        {"00000000000000000000,", true},
        {"-113,\"Undefined header\"\n", false},
        {"-300,\"Device-specific error;block rejected\"", false},
        {" 0,\"No error\"", false},  // no leading blanks
        {"", false},
        {",0", false},
        {"+", false},
        {"x0", false},
        {"99999999999999999999,", false},  // overflow keeps the limit, not 0
        {std::string("\0", 1) + "0", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(reply_reports_no_error(c.reply), c.no_error) << c.reply;
    }
}

TEST(ReplyParsingTest, EventStatusReadsLikeTheCLibraryAndKeepsTheLowByte) {
    struct Case {
        std::string reply;
        unsigned status;
    };
    const Case cases[] = {
        {"128\n", 128}, {"129", 129},    {"  160\n", 160}, {"\t+32", 32},
        {"-1", 255},    {"256", 0},      {"384", 128},     {"", 0},
        {"abc", 0},     {"12abc", 12},   {"- 5", 0},       {"1000000000000128", 128},
        {"-128", 128},  {"\v\f\r 7", 7}, {"+-3", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(event_status_from_reply(c.reply), c.status) << c.reply;
    }
}

}  // namespace
}  // namespace hx4x
