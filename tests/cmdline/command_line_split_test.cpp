#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "case_name.hpp"
#include "cmdline/command_line_parser.hpp"

namespace hx4x {
namespace {

using Tokens = std::vector<std::string>;

struct SplitCase {
    const char* name;
    const char* line;
    const char* program;  // name_with_extension of the program path
    Tokens tokens;
};

class CommandLineSplit : public ::testing::TestWithParam<SplitCase> {};

TEST_P(CommandLineSplit, GivesProgramPathAndTokens) {
    const SplitCase& c = GetParam();
    CommandLineParser parser("-\\/", '=');
    parser.set_command_line(c.line);
    EXPECT_EQ(parser.program_path().name_with_extension(), c.program);
    EXPECT_EQ(parser.tokens(), c.tokens);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CommandLineSplit,
    ::testing::Values(
        SplitCase{"Empty", "", "", {}}, SplitCase{"BlanksOnly", " \t\n ", "", {}},
        SplitCase{"ProgramOnly", "loader.exe", "loader.exe", {}},
        SplitCase{"QuotedPathAndValue",
                  "\"C:\\Tools\\loader.exe\" -hex_file=\"D:\\fw files\\v112.hex\" start",
                  "loader.exe",
                  {"-hex_file=D:\\fw files\\v112.hex", "start"}},
        // A quoted part glues to the text before it and ends the token at its closing quote.
        SplitCase{"QuoteGluesToTheTextBefore", "p a\"b c\"d", "p", {"ab c", "d"}},
        // Quotes around nothing or blanks give nothing.
        SplitCase{"EmptyQuotesGiveNothing", "p \"\" \"  \" x", "p", {"x"}},
        // An unclosed quote takes the rest of the line.
        SplitCase{"UnclosedQuoteTakesTheRest", "p \"open to the end", "p", {"open to the end"}},
        // Line feeds separate tokens only between tokens.
        SplitCase{"LineFeedInsideAToken", "p a\nb\n c", "p", {"a\nb", "c"}},
        SplitCase{"TabsSeparate", "p\ta\t\tb", "p", {"a", "b"}},
        // A first token that names no file is refused and the next one becomes the path.
        SplitCase{"RefusedFirstTokenIsSkipped", "\\ loader.exe x", "loader.exe", {"x"}},
        SplitCase{"QuotedBlanksAreTrimmed", "p \" padded \"", "p", {"padded"}}),
    testing_support::CaseName());

TEST(CommandLineSplit, QuotedProgramPathWithBlanks) {
    CommandLineParser parser("-\\/", '=');
    parser.set_command_line("\"C:\\Program Files\\tool\\app.exe\"");
    EXPECT_EQ(parser.program_path().directory, "C:\\Program Files\\tool");
    EXPECT_EQ(parser.program_path().name, "app");
    EXPECT_EQ(parser.program_path().extension, "exe");
}

TEST(CommandLineSplit, ANewLineReplacesTheOldState) {
    CommandLineParser parser("-\\/", '=');
    parser.set_command_line("first.exe a b");
    parser.set_command_line("second.exe");
    EXPECT_EQ(parser.program_path().name, "second");
    EXPECT_TRUE(parser.tokens().empty());
}

}  // namespace
}  // namespace hx4x
