#include "console/console_options.hpp"

#include "AuxLib/parse_integer.hpp"
#include "cmdline/trim.hpp"

namespace hx4x {

namespace {

constexpr char default_mask[] = "(USB|GPIB)?*::INSTR";
constexpr std::uint32_t lowest_emulated_version = 100;
constexpr std::uint32_t highest_emulated_version = 1000;

std::string upper_case(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

void define_switch(CommandLineParser& parser, const char* name, const char* description) {
    parser.define_argument(name, description, false, false, false);
}

// The parser takes a leading slash for an option prefix, which turns a bare absolute path into
// a relative one. A token that is that slash and the bare value was such a path.
std::string bare_file_name(const CommandLineParser& parser, const std::string& value) {
    for (const std::string& token : parser.tokens()) {
        if (token.size() > 1 && token.front() == '/' &&
            token.compare(1, std::string::npos, value) == 0) {
            return token;
        }
    }
    return value;
}

}  // namespace

void define_console_options(CommandLineParser& parser) {
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
    define_switch(parser, "help", "show command line format description");
    define_switch(parser, "yes", "answer Yes to the update confirmation");
    define_switch(parser, "list", "list the instruments found and exit");
    define_switch(parser, "check", "check the firmware file without any instrument and exit");
    define_switch(parser, "json", "write progress and the result as JSON lines on standard output");
    define_switch(parser, "skip_burning", "send firmware to the counter but skip burning");
    define_switch(parser, "dump_sending", "dump binary data sent to the counter");
    define_switch(parser, "dump_firmware", "dump firmware in a form of C-array initializer");
    parser.define_argument("emulate_counter", "emulate connected counter", true, false, false)
        .value_name = "firmware version";
}

ConsoleOptions read_console_options(const CommandLineParser& parser) {
    ConsoleOptions options;
    options.mask = default_mask;
    if (parser.is_given("bus")) {
        // The parser matched the value trimmed, so it is compared trimmed here too.
        const std::string bus = upper_case(trim(parser.argument_value("bus", 0)));
        if (bus == "USB" || bus == "GPIB") {
            options.mask = bus + "?*::INSTR";
        }
    }
    if (parser.is_given("mask")) {
        options.mask = trim(parser.argument_value("mask", 0));
    }
    if (parser.is_given("counter")) {
        options.counter = trim(parser.argument_value("counter", 0));
    }
    if (parser.is_given("hex_file")) {
        options.firmware_file = parser.argument_value("hex_file", 0);
    }
    if (parser.is_given(unnamed_parameter)) {
        options.firmware_file = bare_file_name(parser, parser.argument_value(unnamed_parameter, 0));
    }
    options.help = parser.is_given("help");
    options.yes = parser.is_given("yes");
    options.list = parser.is_given("list");
    options.check = parser.is_given("check");
    options.json = parser.is_given("json");
    options.skip_burning = parser.is_given("skip_burning");
    options.dump_sending = parser.is_given("dump_sending");
    options.dump_firmware = parser.is_given("dump_firmware");
    if (parser.is_given("emulate_counter")) {
        options.emulated_version =
            emulated_version_from_text(parser.argument_value("emulate_counter", 0));
    }
    return options;
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

}  // namespace hx4x
