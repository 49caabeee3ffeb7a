#include <gtest/gtest.h>

#include <string>

#include "cmdline/command_line_parser.hpp"
#include "loader_usage_text.hpp"
#include "program_table.hpp"

namespace hx4x {
namespace {

using testing_support::loader_usage;

TEST(UsageText, LoaderTableByteForByte) {
    CommandLineParser parser("-\\/", '=');
    testing_support::define_loader_options(parser);
    parser.set_command_line("\"C:\\Program Files\\Loader\\loader.exe\" help");
    ASSERT_TRUE(parser.parse());
    EXPECT_EQ(parser.usage_text(), loader_usage);
    EXPECT_EQ(parser.error_text(), "");
}

TEST(UsageText, BusSerialErrorReport) {
    CommandLineParser parser("-\\/", '=');
    testing_support::define_loader_options(parser);
    parser.set_command_line("loader.exe bus=serial");
    ASSERT_FALSE(parser.parse());
    EXPECT_EQ(parser.error_text() + "\n\n" + parser.usage_text(),
              "Command line parsing error:\n\tIllegal value 'serial' of the argument 'bus'\n\n" +
                  loader_usage);
}

TEST(UsageText, WithoutProgramPathTheFormatLineStartsWithTab) {
    CommandLineParser parser("-", '=');
    parser.set_command_line("");
    EXPECT_EQ(parser.usage_text(),
              "Program usage format:\n\t [ <argument name>[=<argument value>] ] ... ]\n\n"
              "Allowed arguments list:\n\n");
}

TEST(UsageText, AllHiddenEndsAfterTheListHead) {
    CommandLineParser parser("-", ':');
    parser.define_argument("secret", "hidden one", true, false, true);
    parser.set_command_line("tool");
    EXPECT_EQ(parser.usage_text(),
              "Program usage format:\n\ttool [ <argument name>[:<argument value>] ] ... ]\n\n"
              "Allowed arguments list:\n\n");
}

TEST(UsageText, NamesGroupsNotesAndValueLists) {
    CommandLineParser parser("-", '=');
    CommandLineArgument& mode = parser.define_argument("mode", "how to run", true, false, false);
    mode.names.push_back("m");
    mode.names.push_back("md");
    mode.value_name = "kind";
    mode.mandatory = true;
    mode.repeatable = true;
    mode.allowed_values.push_back({{"fast", "f", "quick"}, false, "hurry"});
    mode.allowed_values.push_back({{"slow"}, false, "take time"});
    parser.define_argument("raw", "no value name", true, false, false);
    EXPECT_EQ(parser.argument_usage(0),
              "mode(m,md)=<kind> - how to run\n"
              "\t\tUsage of this argument is mandatory\n"
              "\t\tThis argument may be repeated several times in the command line\n"
              "\t\tAllowed values for the parameter <kind>:\n"
              "\t\t\tfast(f,quick) - hurry\n"
              "\t\t\tslow - take time");
    EXPECT_EQ(parser.argument_usage(1), "raw=<> - no value name");
    EXPECT_EQ(parser.argument_usage(2), "");
}

TEST(UsageText, NumbersRunWithoutGapsAndWidenFromTen) {
    CommandLineParser parser("-", '=');
    for (int i = 0; i < 12; ++i) {
        parser.define_argument("a" + std::to_string(i), "d", false, false, i == 3);
    }
    parser.set_command_line("p");
    const std::string usage = parser.usage_text();
    EXPECT_NE(usage.find("\t 3. a2 - d\n\n\t 4. a4 - d\n"), std::string::npos);
    EXPECT_NE(usage.find("\t 9. a9 - d\n\n\t10. a10 - d\n\n\t11. a11 - d\n\n"), std::string::npos);
    EXPECT_EQ(usage.find("a3"), std::string::npos);
}

}  // namespace
}  // namespace hx4x
