#pragma once

#include <cstdint>
#include <string>

#include "cmdline/command_line_parser.hpp"

namespace hx4x {

// What every front end of the loader reads from its command line the same way: which
// instruments to search, which counter and which firmware file to use, and the emulated
// version. Each front end adds its own switches around these.

inline constexpr char option_prefix_chars[] = "-\\/";
inline constexpr char option_separator = '=';
inline constexpr char default_mask[] = "(USB|GPIB)?*::INSTR";
inline constexpr std::uint32_t lowest_emulated_version = 100;
inline constexpr std::uint32_t highest_emulated_version = 1000;

// bus (with its three allowed values), mask, counter, hex_file and the hidden unnamed
// parameter, in this order.
void define_target_options(CommandLineParser& parser);

// A switch: no value, any letter case, listed.
void define_switch(CommandLineParser& parser, const char* name, const char* description);

// The VISA search expression: the default, narrowed by bus, replaced by mask when given
// (trimmed, even when that leaves it empty).
std::string mask_option(const CommandLineParser& parser);

// counter, trimmed; empty when not given.
std::string counter_option(const CommandLineParser& parser);

// The firmware file: hex_file as written, replaced by a bare file name when one was given.
// A bare absolute POSIX path keeps its leading slash, which the parser took for an option
// prefix.
std::string firmware_file_option(const CommandLineParser& parser);

// A whole text of decimal digits from 100 to 1000; anything else gives 0 (no emulation).
std::uint32_t emulated_version_from_text(const std::string& text);

// emulate_counter read by that rule; 0 when not given.
std::uint32_t emulated_version_option(const CommandLineParser& parser);

}  // namespace hx4x
