#include "cmdline/argv_command_line.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cmdline/command_line_parser.hpp"

namespace hx4x {
namespace {

std::vector<std::string> split(const std::vector<const char*>& argv, std::string* program) {
    CommandLineParser parser("-\\/", '=');
    parser.set_command_line(command_line_from_argv(static_cast<int>(argv.size()), argv.data()));
    *program = parser.program_path().full_path();
    return parser.tokens();
}

TEST(ArgvCommandLine, EachArgumentBecomesOneToken) {
    std::string program;
    const auto tokens = split(
        {"/opt/hx4x/hx4x-update", "hex_file=/tmp/fw files/v 1.hex", "  counter=GPIB0::12::INSTR  ",
         "", "   ", "a\tb", "line\nfeed", "mask=(USB|GPIB)?*::INSTR"},
        &program);
    EXPECT_EQ(program, "/opt/hx4x/hx4x-update");
    EXPECT_EQ(tokens, (std::vector<std::string>{"hex_file=/tmp/fw files/v 1.hex",
                                                "counter=GPIB0::12::INSTR", "a\tb", "line\nfeed",
                                                "mask=(USB|GPIB)?*::INSTR"}));
}

TEST(ArgvCommandLine, DoubleQuotesInsideAnArgumentAreRemoved) {
    std::string program;
    const auto tokens = split({"loader", "fw\"1\".hex", "\"", "a\"b c\"d"}, &program);
    EXPECT_EQ(tokens, (std::vector<std::string>{"fw1.hex", "ab cd"}));
}

TEST(ArgvCommandLine, ProgramPathAsTyped) {
    std::string program;
    const auto tokens = split({"./hx4x-update", "help"}, &program);
    EXPECT_EQ(program, "./hx4x-update");
    EXPECT_EQ(tokens, (std::vector<std::string>{"help"}));
}

TEST(ArgvCommandLine, NullEntriesAreSkipped) {
    const char* argv[] = {"p", nullptr, "x"};
    EXPECT_EQ(command_line_from_argv(3, argv), "\"p\" \"x\"");
    EXPECT_EQ(command_line_from_argv(0, nullptr), "");
}

}  // namespace
}  // namespace hx4x
