#include <gtest/gtest.h>

#include "app/loader_app.hpp"
#include "case_name.hpp"
#include "cmdline/argv_command_line.hpp"
#include "console/console_options.hpp"

namespace hx4x {
namespace {

CommandLineParser parsed(const std::vector<const char*>& args, bool* ok = nullptr) {
    std::vector<const char*> argv = {"hx4x-update"};
    argv.insert(argv.end(), args.begin(), args.end());
    CommandLineParser parser(console_prefix_chars, console_separator);
    define_console_options(parser);
    parser.set_posix_prefix_rules(true);
    parser.set_command_line(command_line_from_argv(static_cast<int>(argv.size()), argv.data()));
    const bool result = parser.parse();
    if (ok != nullptr) {
        *ok = result;
    }
    return parser;
}

TEST(ConsoleOptionsTest, TableOrderAndTheSharedOptionsReadAsTheWindowProgramsDo) {
    const CommandLineParser console = parsed({});
    std::vector<std::string> names;
    for (const CommandLineArgument& argument : console.arguments()) {
        names.push_back(argument.names.front());
    }
    EXPECT_EQ(names, (std::vector<std::string>{
                         "bus", "mask", "counter", "hex_file", "unnamed parameter", "help",
                         "version", "yes", "list", "check", "reset", "history", "json",
                         "skip_burning", "dump_sending", "dump_firmware", "emulate_counter"}));

    LoaderApp window;
    window.define_options();
    const auto& window_arguments = window.parser().arguments();
    int shared = 0;
    for (std::size_t i = 0; i < console.arguments().size(); ++i) {
        for (std::size_t j = 0; j < window_arguments.size(); ++j) {
            if (window_arguments[j].names == console.arguments()[i].names) {
                ++shared;
                EXPECT_EQ(console.argument_usage(i), window.parser().argument_usage(j));
                EXPECT_EQ(console.arguments()[i].hidden, window_arguments[j].hidden);
            }
        }
    }
    EXPECT_EQ(shared, 10);
}

TEST(ConsoleOptionsTest, ConsoleSwitchesAreDescribed) {
    const std::string usage = parsed({}).usage_text();
    for (const char* line :
         {"yes - answer Yes to the update confirmation",
          "list - list the instruments found and exit",
          "check - check the firmware file without any instrument and exit",
          "json - write progress and the result as JSON lines on standard output"}) {
        EXPECT_NE(usage.find(line), std::string::npos) << line;
    }
}

struct MaskCase {
    const char* name;
    std::vector<const char*> args;
    std::string mask;
};

class ConsoleMask : public ::testing::TestWithParam<MaskCase> {};

TEST_P(ConsoleMask, FromBusAndMask) {
    bool ok = false;
    const CommandLineParser parser = parsed(GetParam().args, &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(read_console_options(parser).mask, GetParam().mask);
}

INSTANTIATE_TEST_SUITE_P(
    Options, ConsoleMask,
    ::testing::Values(MaskCase{"NoBus", {}, "(USB|GPIB)?*::INSTR"},
                      MaskCase{"BusUsb", {"bus=usb"}, "USB?*::INSTR"},
                      MaskCase{"BusGpibInAnyCase", {"-BUS=Gpib"}, "GPIB?*::INSTR"},
                      MaskCase{"BusAny", {"bus=Any"}, "(USB|GPIB)?*::INSTR"},
                      MaskCase{"MaskWinsOverBus", {"bus=GPIB", "mask=?*::INSTR"}, "?*::INSTR"},
                      MaskCase{"EmptyMask", {"mask="}, ""},
                      MaskCase{"MaskTrimmed", {"mask= GPIB0::1::INSTR "}, "GPIB0::1::INSTR"}),
    testing_support::CaseName());

TEST(ConsoleOptionsTest, FileCounterAndSwitches) {
    bool ok = false;
    ConsoleOptions options = read_console_options(parsed(
        {"hex_file=other.hex", "fw.hex", "counter= GPIB0::12::INSTR ", "/YES", "\\json", "-list",
         "check", "skip_burning", "dump_sending", "dump_firmware", "emulate_counter=112"},
        &ok));
    ASSERT_TRUE(ok);
    EXPECT_EQ(options.firmware_file, "fw.hex");
    EXPECT_EQ(options.counter, "GPIB0::12::INSTR");
    EXPECT_TRUE(options.yes && options.json && options.list && options.check &&
                options.skip_burning && options.dump_sending && options.dump_firmware);
    EXPECT_FALSE(options.help);
    EXPECT_EQ(options.emulated_version, 112u);

    options = read_console_options(parsed({"hex_file=/abs/fw.hex"}));
    EXPECT_EQ(options.firmware_file, "/abs/fw.hex");
    EXPECT_FALSE(options.yes || options.json || options.list || options.check);
}

TEST(ConsoleOptionsTest, PosixPrefixes) {
    // A slash before anything but an option name starts an absolute path.
    EXPECT_EQ(read_console_options(parsed({"/tmp/fw.hex"})).firmware_file, "/tmp/fw.hex");
    EXPECT_EQ(read_console_options(parsed({"/fw.hex"})).firmware_file, "/fw.hex");
    EXPECT_EQ(read_console_options(parsed({"/Yes.hex"})).firmware_file, "/Yes.hex");
    EXPECT_EQ(read_console_options(parsed({"/hex_file=/lab/a.hex"})).firmware_file, "/lab/a.hex");
    EXPECT_TRUE(read_console_options(parsed({"/help"})).help);
    // Other prefixes are still taken off, as the window program does, and a doubled hyphen
    // is one prefix.
    EXPECT_EQ(read_console_options(parsed({"-fw.hex"})).firmware_file, "fw.hex");
    const ConsoleOptions doubled = read_console_options(parsed({"--yes", "--JSON", "--check"}));
    EXPECT_TRUE(doubled.yes && doubled.json && doubled.check);
    EXPECT_EQ(read_console_options(parsed({"--counter=GPIB0::1::INSTR"})).counter,
              "GPIB0::1::INSTR");
}

TEST(ConsoleOptionsTest, ParseFailures) {
    bool ok = true;
    EXPECT_EQ(parsed({"yes=1"}, &ok).error_message(),
              "It is not possible to give a value for argument 'yes'");
    EXPECT_FALSE(ok);
    parsed({"a.hex", "b.hex"}, &ok);
    EXPECT_FALSE(ok);
    parsed({"emulate_counter"}, &ok);
    EXPECT_FALSE(ok);
}

TEST(ConsoleOptionsTest, EmulatedVersionBounds) {
    const std::pair<const char*, std::uint32_t> cases[] = {
        {"100", 100}, {"1000", 1000}, {"112", 112}, {"99", 0},   {"1001", 0},       {"+112", 0},
        {"1.12", 0},  {"112x", 0},    {"", 0},      {" 112", 0}, {"4294967296", 0}, {"-112", 0}};
    for (const auto& [text, version] : cases) {
        EXPECT_EQ(emulated_version_from_text(text), version) << text;
    }
}

}  // namespace
}  // namespace hx4x
