#pragma once

#include "cmdline/command_line_parser.hpp"

namespace hx4x::testing_support {

// The loader's own option table, rebuilt here so the general parser is checked against the
// texts the program really shows.
inline void define_loader_options(CommandLineParser& parser) {
    CommandLineArgument& bus =
        parser.define_argument("bus", "type of the bus used to connect device", true, false, false);
    bus.value_name = "bus type";
    bus.allowed_values.push_back({{"GPIB"}, false, "connect only to GPIB devices"});
    bus.allowed_values.push_back({{"USB"}, false, "connect only to USB devices"});
    bus.allowed_values.push_back({{"ANY"}, false, "connect to devices of any type"});
    parser.define_argument("mask", "a regular expression matching instruments", true, false, false)
        .value_name = "VISA address mask";
    parser.define_argument("counter", "VISA symbolic address of the counter", true, false, false)
        .value_name = "VISA address";
    parser.define_argument("hex_file", "name of the firmware hex-file", true, false, false)
        .value_name = "file name";
    parser.define_argument("unnamed parameter", "name of the firmware hex-file", true, false, true)
        .value_name = "file name";
    parser.define_argument("help", "show command line format description", false, false, false);
    parser.define_argument("skip_readme", "do not show screen with installation instructions",
                           false, false, false);
    parser.define_argument("start", "start firmware update immediately", false, false, false);
    parser.define_argument("skip_burning", "send firmware to the counter but skip burning", false,
                           false, false);
    parser.define_argument("dump_sending", "dump binary data sent to the counter", false, false,
                           false);
    parser.define_argument("dump_firmware", "dump firmware in a form of C-array initializer", false,
                           false, false);
    parser.define_argument("emulate_counter", "emulate connected counter", true, false, false)
        .value_name = "firmware version";
}

}  // namespace hx4x::testing_support
