// hx4x-update: the firmware update on a console, for scripts and production lines.
#include <cstdio>

#include "console/console_app.hpp"
#include "console/interrupt_watch.hpp"
#include "console/log_location.hpp"
#include "console/terminal.hpp"
#include "platform/command_line_rules.hpp"

namespace {

// Closes the terminal opened for the confirmation at exit.
struct PromptTerminal {
    std::FILE* stream = nullptr;
    ~PromptTerminal() {
        if (stream != nullptr) {
            std::fclose(stream);
        }
    }
};

}  // namespace

int main(int argc, char** argv) {
    const bool erases_with_escape = hx4x::prepare_standard_streams();
    // Installed before anything can be interrupted, for the whole run.
    const hx4x::InterruptWatch interrupts;

    hx4x::ConsoleEnvironment environment;
    environment.streams.out = stdout;
    environment.streams.err = stderr;
    environment.streams.out_is_terminal = hx4x::is_terminal(stdout);
    environment.streams.err_is_terminal = hx4x::is_terminal(stderr);
    environment.streams.width = hx4x::terminal_width(stderr);
    environment.streams.erases_with_escape = erases_with_escape;
    environment.streams.hung_up = &hx4x::InterruptWatch::hung_up;
    environment.input_is_terminal = hx4x::is_terminal(stdin);
    environment.input_descriptor = fileno(stdin);
    environment.interrupts = &hx4x::InterruptWatch::count;
    environment.log_location = &hx4x::default_console_log_path;
    environment.command_line = hx4x::platform::native_command_line();

    // The operator answering on the terminal must see the question even when standard error
    // goes to a file.
    PromptTerminal prompt;
    if (environment.input_is_terminal && !environment.streams.err_is_terminal) {
        prompt.stream = hx4x::open_operator_terminal();
        environment.streams.prompt = prompt.stream;
    }
    return hx4x::run_console(argc, argv, environment);
}
