// The real hx4x-update binary given the command lines a new user writes: every mistake is
// named with exit status 1, help and version answer at once, and JSON covers every outcome.
#include <gtest/gtest.h>

#include <filesystem>

#include "case_name.hpp"
#include "output_lines.hpp"
#include "process_runner.hpp"
#include "temp_dir.hpp"

namespace hx4x {
namespace {

using testing_support::member;
using testing_support::run_process;
using testing_support::TempDir;
using testing_support::whole_json_lines;

const std::string binary = HX4X_UPDATE_BINARY;
const std::string sample = HX4X_SAMPLE_FIRMWARE;
const std::string usage_start = "Program usage format:\n";
const std::string parse_error = "error: Command line parsing error:\n\t";

// A home of its own (to see whether a folder is created) and a VISA library that cannot load.
std::map<std::string, std::string> environment_in(const TempDir& home) {
    return {{"HOME", home.file("")},
            {"XDG_STATE_HOME", ""},
            {"HX4X_VISA_LIBRARY", "/nonexistent/libvisa.so"}};
}

enum class Out { empty, usage, version };

struct MistakeCase {
    const char* name;
    std::vector<std::string> args;
    int status;
    std::string err_start;  // empty: nothing on standard error
    Out out;
};

class ConsoleCommandLine : public ::testing::TestWithParam<MistakeCase> {};

TEST_P(ConsoleCommandLine, GivesItsStatusMessageAndOutput) {
    const MistakeCase& c = GetParam();
    const TempDir home;
    const auto result = run_process(binary, c.args, environment_in(home));
    EXPECT_EQ(result.status, c.status) << result.err;
    if (c.err_start.empty()) {
        EXPECT_EQ(result.err, "");
    } else {
        EXPECT_EQ(result.err.substr(0, c.err_start.size()), c.err_start) << result.err;
    }
    switch (c.out) {
        case Out::empty:
            EXPECT_EQ(result.out, "");
            break;
        case Out::usage:
            EXPECT_EQ(result.out.substr(0, usage_start.size()), usage_start) << result.out;
            break;
        case Out::version:
            EXPECT_EQ(result.out.rfind("hx4x-update " HX4X_PROJECT_VERSION ", built ", 0), 0u)
                << result.out;
            break;
    }
    // Only a run that may log has its state folder created (none of these does).
    if (c.status != 3) {
        EXPECT_FALSE(std::filesystem::exists(home.file(".local"))) << c.name;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Mistakes, ConsoleCommandLine,
    ::testing::Values(
        MistakeCase{"MisspeltOptionBeforeAFileIsNamedWithTheClosest",
                    {"emulat_counter=112", "yes", "fw.hex"},
                    1,
                    parse_error + "Unknown argument name: 'emulat_counter'; did you mean "
                                  "'emulate_counter'?\n",
                    Out::empty},
        MistakeCase{"MisspeltOptionBeforeListIsNotIgnored",
                    {"emulat_counter=112", "list"},
                    1,
                    parse_error + "Unknown argument name: 'emulat_counter'; did you mean "
                                  "'emulate_counter'?\n",
                    Out::empty},
        MistakeCase{"UnknownDoubleHyphenOptionIsNoFileName",
                    {"--verbose", "fw.hex"},
                    1,
                    parse_error + "Unknown argument name: '--verbose'\n\n" + usage_start,
                    Out::empty},
        MistakeCase{"ShortHelp", {"-h"}, 0, "", Out::usage},
        MistakeCase{"QuestionMarkHelp", {"-?"}, 0, "", Out::usage},
        MistakeCase{"VersionOption", {"--version"}, 0, "", Out::version},
        MistakeCase{"VersionWord", {"version"}, 0, "", Out::version},
        MistakeCase{
            "NoArgumentsPrintTheUsage", {}, 1, parse_error + "No arguments given: ", Out::empty},
        MistakeCase{"FirmwareFileGivenTwice",
                    {"hex_file=a.hex", "b.hex"},
                    1,
                    parse_error + "The firmware file is given twice",
                    Out::empty},
        MistakeCase{"TwoBareFileNames",
                    {"a.hex", "b.hex"},
                    1,
                    parse_error + "More than one firmware file is given",
                    Out::empty},
        MistakeCase{"MaskLongerThanVisaTakes",
                    {"list", "mask=" + std::string(256, 'x')},
                    1,
                    parse_error + "The value of the argument 'mask' is too long: 256 characters",
                    Out::empty},
        MistakeCase{"CheckRefusalGoesToStandardError",
                    {"check", "/nonexistent/fw.hex"},
                    2,
                    "error: Error parsing file '/nonexistent/fw.hex'\nCould not open file",
                    Out::empty},
        MistakeCase{"ControlCharactersOfAFileNameAreShown",
                    {"check",
                     "a\nb\xC2\x85"
                     "c\x9B\xC3\xA9.hex"},
                    2,
                    "error: Error parsing file 'a\\x0Ab\\xC2\\x85c\\x9B\xC3\xA9.hex'\n",
                    Out::empty},
        MistakeCase{"UnloadableVisaLibrarySaysWhy",
                    {"list"},
                    3,
                    "error: The VISA library named by HX4X_VISA_LIBRARY cannot be used: VISA "
                    "library not loaded: /nonexistent/libvisa.so",
                    Out::empty}),
    testing_support::CaseName());

TEST(ConsoleCommandLineJson, EveryOutcomeEndsInAResultObjectWithItsStatus) {
    struct Case {
        std::vector<std::string> args;
        int status;
    };
    const Case cases[] = {
        {{"json", "help"}, 0},
        {{"json", "version"}, 0},
        {{"json", "check", sample}, 0},
        {{"json", "check", "/nonexistent/fw.hex"}, 2},
        {{"json", "list"}, 3},
        {{"json", "list", "emulate_counter=112"}, 0},
        {{"json", "emulat_counter=112", "list"}, 1},
        {{"json", "start=yes"}, 1},
    };
    const TempDir home;
    for (const Case& c : cases) {
        const auto result = run_process(binary, c.args, environment_in(home));
        const std::string shown = c.args[1];
        EXPECT_EQ(result.status, c.status) << shown << "\n" << result.err;
        ASSERT_FALSE(result.out.empty()) << shown;
        EXPECT_TRUE(whole_json_lines(result.out)) << shown;
        const auto lines = testing_support::lines_of(result.out);
        EXPECT_EQ(member(lines.back(), "event"), "result") << shown;
        EXPECT_EQ(member(lines.back(), "exit_status"), std::to_string(c.status)) << shown;
    }
}

}  // namespace
}  // namespace hx4x
