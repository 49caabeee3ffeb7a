#pragma once

#include <cstdint>
#include <string>

#include "app/program_options.hpp"
#include "cmdline/command_line_parser.hpp"

namespace hx4x {

// What the console's command line asks for.
struct ConsoleOptions {
    std::string mask;
    std::string counter;
    std::string firmware_file;
    bool help = false;
    bool version = false;
    bool yes = false;
    bool list = false;
    bool check = false;
    bool reset = false;
    bool history = false;
    bool json = false;
    bool skip_burning = false;
    bool dump_sending = false;
    bool dump_firmware = false;
    std::uint32_t emulated_version = 0;  // 0: real instruments
};

inline constexpr const char* console_prefix_chars = option_prefix_chars;
inline constexpr char console_separator = option_separator;

// Appends the console's argument definitions, in the order of its usage text. The options
// it shares with the window program are described in the same words.
void define_console_options(CommandLineParser& parser);

// The options of a successful parse: mask from bus and mask, counter trimmed, the firmware
// file from hex_file or (winning) the bare file name, the switches, the emulated version.
ConsoleOptions read_console_options(const CommandLineParser& parser);

}  // namespace hx4x
