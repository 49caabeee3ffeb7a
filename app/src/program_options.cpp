#include "app/program_options.hpp"

#include "AuxLib/parse_integer.hpp"
#include "cmdline/trim.hpp"

namespace hx4x {

void define_target_options(CommandLineParser& parser) {
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
    parser.define_argument(unnamed_parameter, "name of the firmware hex-file", true, false, true)
        .value_name = "file name";
}

void define_switch(CommandLineParser& parser, const char* name, const char* description) {
    parser.define_argument(name, description, false, false, false);
}

std::string mask_option(const CommandLineParser& parser) {
    std::string mask = default_mask;
    if (parser.is_given("bus")) {
        // The value is matched by the parser's own rule, the one that admitted it.
        const std::string bus = parser.argument_value("bus", 0);
        for (const char* narrow : {"USB", "GPIB"}) {
            if (names_match({narrow}, false, bus)) {
                mask = std::string(narrow) + "?*::INSTR";
            }
        }
    }
    if (parser.is_given("mask")) {
        mask = trim(parser.argument_value("mask", 0));
    }
    return mask;
}

std::string counter_option(const CommandLineParser& parser) {
    return parser.is_given("counter") ? trim(parser.argument_value("counter", 0)) : std::string();
}

std::string firmware_file_option(const CommandLineParser& parser) {
    if (!parser.is_given(unnamed_parameter)) {
        return parser.is_given("hex_file") ? parser.argument_value("hex_file", 0) : std::string();
    }
    const std::string value = parser.argument_value(unnamed_parameter, 0);
    // "/tmp/fw.hex" lost its first slash as an option prefix: a token that is that slash and
    // the value, with a directory inside, was an absolute path.
    if (value.find('/') != std::string::npos) {
        for (const std::string& token : parser.tokens()) {
            if (token.size() == value.size() + 1 && token.front() == '/' &&
                token.compare(1, std::string::npos, value) == 0) {
                return token;
            }
        }
    }
    return value;
}

std::uint32_t emulated_version_from_text(const std::string& text) {
    ParsedInteger<std::uint32_t> parsed;
    if (!parse_integer(text, 0, false, 10, parsed) || (parsed.flags & parse_value_stored) == 0 ||
        (parsed.flags & parse_positive_overflow) != 0) {
        return 0;
    }
    if (parsed.value < lowest_emulated_version || parsed.value > highest_emulated_version) {
        return 0;
    }
    return parsed.value;
}

std::uint32_t emulated_version_option(const CommandLineParser& parser) {
    return parser.is_given("emulate_counter")
               ? emulated_version_from_text(parser.argument_value("emulate_counter", 0))
               : 0;
}

}  // namespace hx4x
