#include "console/console_options.hpp"

#include "app/program_options.hpp"

namespace hx4x {

void define_console_options(CommandLineParser& parser) {
    define_target_options(parser);
    define_switch(parser, "help", "show command line format description");
    define_switch(parser, "version", "show the program's name, version and build date");
    define_switch(parser, "yes", "answer Yes to the update confirmation");
    define_switch(parser, "list", "list the instruments found and exit");
    define_switch(parser, "check", "check the firmware file without any instrument and exit");
    define_switch(parser, "reset",
                  "reset the counter, which ends a firmware loading left unfinished, and exit");
    define_switch(parser, "history",
                  "show the updates recorded on this computer (counter= for one counter) and exit");
    define_switch(parser, "json", "write progress and the result as JSON lines on standard output");
    define_switch(parser, "skip_burning", "send firmware to the counter but skip burning");
    define_switch(parser, "dump_sending", "dump binary data sent to the counter");
    define_switch(parser, "dump_firmware", "dump firmware in a form of C-array initializer");
    parser.define_argument("emulate_counter", "emulate connected counter", true, false, false)
        .value_name = "firmware version";
}

ConsoleOptions read_console_options(const CommandLineParser& parser) {
    ConsoleOptions options;
    options.mask = mask_option(parser);
    options.counter = counter_option(parser);
    options.firmware_file = firmware_file_option(parser);
    options.help = parser.is_given("help");
    options.version = parser.is_given("version");
    options.yes = parser.is_given("yes");
    options.list = parser.is_given("list");
    options.check = parser.is_given("check");
    options.reset = parser.is_given("reset");
    options.history = parser.is_given("history");
    options.json = parser.is_given("json");
    options.skip_burning = parser.is_given("skip_burning");
    options.dump_sending = parser.is_given("dump_sending");
    options.dump_firmware = parser.is_given("dump_firmware");
    options.emulated_version = emulated_version_option(parser);
    return options;
}

}  // namespace hx4x
