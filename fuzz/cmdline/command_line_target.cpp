#include "command_line_target.hpp"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cmdline/argv_command_line.hpp"
#include "cmdline/command_line_parser.hpp"
#include "cmdline/trim.hpp"
#include "fuzz_invariant.hpp"

namespace hx4x::fuzzing {

namespace {

void define_options(CommandLineParser& parser) {
    CommandLineArgument& bus =
        parser.define_argument("bus", "type of the bus used to connect device", true, false, false);
    bus.value_name = "bus type";
    bus.allowed_values.push_back({{"GPIB"}, false, "connect only to GPIB devices"});
    bus.allowed_values.push_back({{"USB"}, false, "connect only to USB devices"});
    bus.allowed_values.push_back({{"ANY"}, false, "connect to devices of any type"});
    for (const char* name : {"mask", "counter", "hex_file", "emulate_counter"}) {
        parser.define_argument(name, "value", true, false, false);
    }
    parser.define_argument("unnamed parameter", "name of the firmware hex-file", true, false, true);
    for (const char* name :
         {"help", "skip_readme", "start", "skip_burning", "dump_sending", "dump_firmware"}) {
        parser.define_argument(name, "switch", false, false, false);
    }
}

}  // namespace

void run_command_line_case(std::string_view text) {
    CommandLineParser parser("-\\/", '=');
    define_options(parser);
    parser.set_command_line(std::string(text));
    for (const std::string& token : parser.tokens()) {
        require(!token.empty(), "empty token");
        require(token.find('"') == std::string::npos, "quote in token");
        require(trim(token) == token, "untrimmed token");
    }

    const bool ok = parser.parse();
    const std::string error = parser.error_text();
    require(ok == error.empty(), "error text iff failure");
    require(ok || error.rfind("Command line parsing error:\n\t", 0) == 0, "error head");
    require(parser.usage_text().rfind("Program usage format:\n\t", 0) == 0, "usage head");

    // The tokens survive the trip through an argument vector unchanged (an argument vector
    // cannot carry a NUL byte, so such lines are not tried).
    std::vector<const char*> argv{"program"};
    for (const std::string& token : parser.tokens()) {
        if (token.find('\0') != std::string::npos) {
            return;
        }
        argv.push_back(token.c_str());
    }
    CommandLineParser again("-\\/", '=');
    again.set_command_line(command_line_from_argv(static_cast<int>(argv.size()), argv.data()));
    require(again.tokens() == parser.tokens(), "argv round trip");
}

}  // namespace hx4x::fuzzing
