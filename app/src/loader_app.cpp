#include "app/loader_app.hpp"

#include "AuxLib/operator_message.hpp"
#include "AuxLib/parse_integer.hpp"
#include "app/emulated_version.hpp"
#include "cmdline/file_path.hpp"
#include "cmdline/trim.hpp"

namespace hx4x {

namespace {

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

// A whole text of decimal digits from 100 to 1000; anything else means no emulation.
std::uint32_t emulated_version_from(const std::string& text) {
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

}  // namespace

LoaderApp::LoaderApp() : parser_(prefix_chars, separator) {}

void LoaderApp::define_options() {
    CommandLineArgument& bus = parser_.define_argument(
        "bus", "type of the bus used to connect device", true, false, false);
    bus.value_name = "bus type";
    bus.allowed_values.push_back({{"GPIB"}, false, "connect only to GPIB devices"});
    bus.allowed_values.push_back({{"USB"}, false, "connect only to USB devices"});
    bus.allowed_values.push_back({{"ANY"}, false, "connect to devices of any type"});

    parser_.define_argument("mask", "a regular expression matching instruments", true, false, false)
        .value_name = "VISA address mask";
    parser_.define_argument("counter", "VISA symbolic address of the counter", true, false, false)
        .value_name = "VISA address";
    parser_.define_argument("hex_file", "name of the firmware hex-file", true, false, false)
        .value_name = "file name";
    parser_.define_argument(unnamed_parameter, "name of the firmware hex-file", true, false, true)
        .value_name = "file name";
    parser_.define_argument("help", "show command line format description", false, false, false);
    parser_.define_argument("skip_readme", "do not show screen with installation instructions",
                            false, false, false);
    parser_.define_argument("start", "start firmware update immediately", false, false, false);
    parser_.define_argument("skip_burning", "send firmware to the counter but skip burning", false,
                            false, false);
    parser_.define_argument("dump_sending", "dump binary data sent to the counter", false, false,
                            false);
    parser_.define_argument("dump_firmware", "dump firmware in a form of C-array initializer",
                            false, false, false);
    parser_.define_argument("emulate_counter", "emulate connected counter", true, false, false)
        .value_name = "firmware version";
}

bool LoaderApp::process_command_line(OptionsReceiver& receiver, const std::string& command_line) {
    // A parser parses once; each call starts from a fresh one.
    parser_ = CommandLineParser(prefix_chars, separator);
    define_options();
    parser_.set_command_line(command_line);
    if (!parser_.parse()) {
        OperatorMessage(MessageKind::error, parser_.error_text() + "\n\n" + parser_.usage_text())
            .show();
        return false;
    }
    if (parser_.is_given("help")) {
        OperatorMessage(MessageKind::information, parser_.usage_text()).show();
        return false;
    }

    std::string mask = default_mask;
    if (parser_.is_given("bus")) {
        // The parser matched the value trimmed, so it is compared trimmed here too.
        const std::string bus = upper_case(trim(parser_.argument_value("bus", 0)));
        if (bus == "USB" || bus == "GPIB") {
            mask = bus + "?*::INSTR";
        }
    }
    if (parser_.is_given("mask")) {
        mask = trim(parser_.argument_value("mask", 0));
    }
    const std::string selected_address =
        parser_.is_given("counter") ? trim(parser_.argument_value("counter", 0)) : std::string();
    std::string firmware_file =
        parser_.is_given("hex_file") ? parser_.argument_value("hex_file", 0) : std::string();
    bool start = parser_.is_given("start");
    if (parser_.is_given(unnamed_parameter)) {
        firmware_file = parser_.argument_value(unnamed_parameter, 0);
        start = true;
    }

    FilePath settings_file;
    settings_file.assign(parser_.program_path().full_path());
    settings_file.extension = "ini";

    receiver.set_settings_file(settings_file.full_path());
    receiver.set_firmware_file(firmware_file);
    receiver.set_mask(mask);
    receiver.set_selected_address(selected_address);
    receiver.set_start(start);
    receiver.set_skip_readme(parser_.is_given("skip_readme"));
    receiver.set_skip_burning(parser_.is_given("skip_burning"));
    receiver.set_dump_sending(parser_.is_given("dump_sending"));
    receiver.set_dump_firmware(parser_.is_given("dump_firmware"));

    set_emulated_version(parser_.is_given("emulate_counter")
                             ? emulated_version_from(parser_.argument_value("emulate_counter", 0))
                             : 0);
    return true;
}

}  // namespace hx4x
