#include "app/loader_app.hpp"

#include "AuxLib/operator_message.hpp"
#include "app/emulated_version.hpp"
#include "app/loader_files.hpp"
#include "app/program_options.hpp"
#include "platform/command_line_rules.hpp"

namespace hx4x {

LoaderApp::LoaderApp() : parser_(prefix_chars, separator) {}

void LoaderApp::define_options() {
    define_target_options(parser_);
    define_switch(parser_, "help", "show command line format description");
    define_switch(parser_, "skip_readme", "do not show screen with installation instructions");
    define_switch(parser_, "start", "start firmware update immediately");
    define_switch(parser_, "skip_burning", "send firmware to the counter but skip burning");
    define_switch(parser_, "dump_sending", "dump binary data sent to the counter");
    define_switch(parser_, "dump_firmware", "dump firmware in a form of C-array initializer");
    parser_.define_argument("emulate_counter", "emulate connected counter", true, false, false)
        .value_name = "firmware version";
}

bool LoaderApp::process_command_line(OptionsReceiver& receiver, const std::string& command_line) {
    // A parser parses once; each call starts from a fresh one.
    parser_ = CommandLineParser(prefix_chars, separator);
    define_options();
    parser_.set_posix_prefix_rules(platform::posix_command_line());
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

    // A bare file name is the firmware file and starts the update at once.
    const bool start = parser_.is_given("start") || parser_.is_given(unnamed_parameter);

    receiver.set_settings_file(loader_files(parser_.program_path().full_path()).settings);
    receiver.set_firmware_file(firmware_file_option(parser_));
    receiver.set_mask(mask_option(parser_));
    receiver.set_selected_address(counter_option(parser_));
    receiver.set_start(start);
    receiver.set_skip_readme(parser_.is_given("skip_readme"));
    receiver.set_skip_burning(parser_.is_given("skip_burning"));
    receiver.set_dump_sending(parser_.is_given("dump_sending"));
    receiver.set_dump_firmware(parser_.is_given("dump_firmware"));

    set_emulated_version(emulated_version_option(parser_));
    return true;
}

}  // namespace hx4x
