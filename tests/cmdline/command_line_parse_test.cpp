#include <gtest/gtest.h>

#include <string>

#include "case_name.hpp"
#include "cmdline/command_line_parser.hpp"
#include "program_table.hpp"

namespace hx4x {
namespace {

struct ParseCase {
    const char* name;
    const char* line;
    bool ok;
    const char* message;  // the parser's error_message
};

class LoaderTableParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(LoaderTableParse, ResultAndExactMessage) {
    const ParseCase& c = GetParam();
    CommandLineParser parser("-\\/", '=');
    testing_support::define_loader_options(parser);
    parser.set_command_line(c.line);
    EXPECT_EQ(parser.parse(), c.ok);
    EXPECT_EQ(parser.error_message(), c.message);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, LoaderTableParse,
    ::testing::Values(
        ParseCase{"Empty", "", true, ""}, ParseCase{"HelpInCapitals", "loader.exe HELP", true, ""},
        ParseCase{"BusSerial", "loader.exe bus=serial", false,
                  "Illegal value 'serial' of the argument 'bus'"},
        ParseCase{"BusEmpty", "loader.exe bus=", false, "Illegal value '' of the argument 'bus'"},
        ParseCase{"BusUsb", "loader.exe bus=usb", true, ""},
        ParseCase{"StartWithAValue", "loader.exe start=yes", false,
                  "It is not possible to give a value for argument 'start'"},
        ParseCase{"StartWithAnEmptyValue", "loader.exe -start=", false,
                  "It is not possible to give a value for argument 'start'"},
        ParseCase{"EmulateWithoutAValue", "loader.exe emulate_counter", false,
                  "Value not given for the argument 'emulate_counter'"},
        ParseCase{"HexFileTwiceInAnyCase", "loader.exe hex_file=a.hex /HEX_FILE=b.hex", false,
                  "The argument 'HEX_FILE' must not occur in the command line more than once"},
        ParseCase{"TwoFiles", "loader.exe a.hex b.hex", false,
                  "The argument 'unnamed parameter' must not occur in the command line more "
                  "than once"},
        // Only the first failure counts; later tokens are not looked at.
        ParseCase{"OnlyTheFirstFailureCounts", "loader.exe start=1 bus=serial", false,
                  "It is not possible to give a value for argument 'start'"},
        // A percent sign is plain text, never a format.
        ParseCase{"PercentSignIsPlainText", "loader.exe bus=%s%n", false,
                  "Illegal value '%s%n' of the argument 'bus'"}),
    testing_support::CaseName());

CommandLineParser loader_parser(const std::string& line) {
    CommandLineParser parser("-\\/", '=');
    testing_support::define_loader_options(parser);
    parser.set_command_line(line);
    return parser;
}

TEST(CommandLineParse, TypicalLineGivesValuesAsWritten) {
    CommandLineParser parser("-\\/", '=');
    testing_support::define_loader_options(parser);
    parser.set_command_line(
        "\"C:\\Tools\\loader.exe\" -hex_file=\"D:\\fw files\\v112.hex\" start bus=Usb");
    ASSERT_TRUE(parser.parse());
    EXPECT_EQ(parser.argument_value("hex_file", 0), "D:\\fw files\\v112.hex");
    EXPECT_EQ(parser.argument_value("hex_file", 1), "");
    EXPECT_TRUE(parser.is_given("start"));
    EXPECT_TRUE(parser.is_given("START"));
    EXPECT_FALSE(parser.is_given("help"));
    EXPECT_FALSE(parser.is_given("no such argument"));
    // The allowed value matches in any case but is kept as written.
    EXPECT_EQ(parser.argument_value("bus", 0), "Usb");
}

TEST(CommandLineParse, UnknownTokensBecomeTheUnnamedParameter) {
    struct Case {
        const char* token;
        const char* value;
    };
    for (const Case& c : {Case{"fw.hex", "fw.hex"}, Case{"x=y", "x"}, Case{"=y", "y"},
                          Case{"-", ""}, Case{"--start", "-start"}, Case{"strat", "strat"}}) {
        CommandLineParser parser("-\\/", '=');
        testing_support::define_loader_options(parser);
        parser.set_command_line(std::string("loader.exe ") + c.token);
        ASSERT_TRUE(parser.parse()) << c.token;
        EXPECT_TRUE(parser.is_given("unnamed parameter")) << c.token;
        EXPECT_EQ(parser.argument_value("unnamed parameter", 0), c.value) << c.token;
    }
}

TEST(CommandLineParse, WithoutCatchAllUnknownNamesFail) {
    for (const char* token : {"fw.hex", "x=y", "=y", "-"}) {
        CommandLineParser parser("-\\/", '=');
        parser.define_argument("start", "", false, false, false);
        parser.set_command_line(std::string("p ") + token);
        EXPECT_FALSE(parser.parse()) << token;
        const std::string name = std::string(token) == "x=y"  ? "x"
                                 : std::string(token) == "=y" ? "unnamed parameter"
                                 : std::string(token) == "-"  ? ""
                                                              : token;
        EXPECT_EQ(parser.error_message(), "Unknown argument name: '" + name + "'") << token;
    }
}

TEST(CommandLineParse, CaseSensitiveNamesAndValues) {
    CommandLineParser parser("-", '=');
    CommandLineArgument& mode = parser.define_argument("Mode", "", true, true, false);
    mode.allowed_values.push_back({{"Fast", "F"}, true, ""});
    parser.set_command_line("p -Mode=F");
    EXPECT_TRUE(parser.parse());

    CommandLineParser wrong_name("-", '=');
    wrong_name.define_argument("Mode", "", true, true, false);
    wrong_name.set_command_line("p mode=x");
    EXPECT_FALSE(wrong_name.parse());
    EXPECT_EQ(wrong_name.error_message(), "Unknown argument name: 'mode'");

    CommandLineParser wrong_value("-", '=');
    CommandLineArgument& m = wrong_value.define_argument("mode", "", true, false, false);
    m.allowed_values.push_back({{"Fast"}, true, ""});
    wrong_value.set_command_line("p mode=fast");
    EXPECT_FALSE(wrong_value.parse());
    EXPECT_EQ(wrong_value.error_message(), "Illegal value 'fast' of the argument 'mode'");
}

TEST(CommandLineParse, AlternativeNamesAndTrimmedKeys) {
    CommandLineParser parser("-", '=');
    CommandLineArgument& verbose = parser.define_argument("verbose", "", false, false, false);
    verbose.names.push_back("v");
    parser.set_command_line("p \"-V \"");
    EXPECT_TRUE(parser.parse());
    EXPECT_TRUE(parser.is_given("verbose"));
    EXPECT_TRUE(parser.is_given(" v "));
}

TEST(CommandLineParse, RepeatableCollectsValuesInOrder) {
    CommandLineParser parser("-", '=');
    parser.define_argument("item", "", true, false, false).repeatable = true;
    parser.set_command_line("p item=a -item=b item=a");
    ASSERT_TRUE(parser.parse());
    EXPECT_EQ(parser.argument_value("item", 0), "a");
    EXPECT_EQ(parser.argument_value("item", 1), "b");
    EXPECT_EQ(parser.argument_value("item", 2), "a");
    EXPECT_EQ(parser.argument_value("item", 3), "");
}

TEST(CommandLineParse, MandatoryArgumentNamedByItsFirstName) {
    CommandLineParser parser("-", '=');
    parser.define_argument("port", "", true, false, false).mandatory = true;
    parser.set_command_line("");
    EXPECT_FALSE(parser.parse());
    EXPECT_EQ(parser.error_message(), "Value is not given for the mandatory argument 'port'");
}

TEST(CommandLineParse, StateBeforeTheFailureIsKept) {
    CommandLineParser parser = loader_parser("loader.exe skip_readme start=1 help");
    EXPECT_FALSE(parser.parse());
    EXPECT_TRUE(parser.is_given("skip_readme"));
    // The failing argument was already marked before its value was refused.
    EXPECT_TRUE(parser.is_given("start"));
    EXPECT_FALSE(parser.is_given("help"));
}

TEST(CommandLineParse, OnlyOnePrefixCharacterIsDropped) {
    CommandLineParser parser = loader_parser("loader.exe \\help");
    ASSERT_TRUE(parser.parse());
    EXPECT_TRUE(parser.is_given("help"));
    CommandLineParser slashes = loader_parser("loader.exe //help");
    ASSERT_TRUE(slashes.parse());
    EXPECT_EQ(slashes.argument_value("unnamed parameter", 0), "/help");
}

}  // namespace
}  // namespace hx4x
