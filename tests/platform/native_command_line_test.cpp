#include "platform/command_line_rules.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cmdline/command_line_parser.hpp"

namespace hx4x {
namespace {

// This program is started with the arguments  "hex_file=C:\fw files\v 1.12.hex" /start
// (tests/platform/CMakeLists.txt). On Windows the system keeps them in one text, which
// the parser's own rules must split back into the very arguments; POSIX has no such text.
TEST(NativeCommandLine, SplitsIntoTheProgramAndItsArguments) {
    const auto text = platform::native_command_line();
    if (platform::posix_command_line()) {
        EXPECT_FALSE(text.has_value());
        return;
    }
    ASSERT_TRUE(text.has_value());
    CommandLineParser parser("-\\/", '=');
    parser.set_command_line(*text);
    EXPECT_EQ(parser.program_path().name_with_extension(), "platform_tests.exe") << *text;
    const std::vector<std::string>& tokens = parser.tokens();
    EXPECT_NE(std::find(tokens.begin(), tokens.end(), "hex_file=C:\\fw files\\v 1.12.hex"),
              tokens.end())
        << *text;
    EXPECT_NE(std::find(tokens.begin(), tokens.end(), "/start"), tokens.end()) << *text;
}

}  // namespace
}  // namespace hx4x
