// hx4x-update: the firmware update on a console, for scripts and production lines.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "console/console_app.hpp"
#include "console/interrupt_watch.hpp"
#include "console/log_location.hpp"
#include "console/terminal.hpp"

namespace {

// A standard descriptor that was closed at start would be the next file opened (a dump, the
// log), and JSON or messages would be written into it: /dev/null takes its place first.
void occupy_closed_standard_descriptors() {
    for (int descriptor = 0; descriptor <= 2; ++descriptor) {
        if (fcntl(descriptor, F_GETFD) != -1 || errno != EBADF) {
            continue;
        }
        const int opened = open("/dev/null", descriptor == 0 ? O_RDONLY : O_WRONLY);
        if (opened >= 0 && opened != descriptor) {
            dup2(opened, descriptor);
            close(opened);
        }
    }
}

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
    occupy_closed_standard_descriptors();
    // A reader that went away (`| head -1`) must not kill the run with a prepared counter:
    // failed writes are noted and reported at the end instead.
    signal(SIGPIPE, SIG_IGN);
    // Installed before anything can be interrupted, for the whole run.
    const hx4x::InterruptWatch interrupts;

    hx4x::ConsoleEnvironment environment;
    environment.streams.out = stdout;
    environment.streams.err = stderr;
    environment.streams.out_is_terminal = hx4x::is_terminal(stdout);
    environment.streams.err_is_terminal = hx4x::is_terminal(stderr);
    environment.streams.width = hx4x::terminal_width(stderr);
    environment.streams.hung_up = &hx4x::InterruptWatch::hung_up;
    environment.input_is_terminal = hx4x::is_terminal(stdin);
    environment.input_descriptor = fileno(stdin);
    environment.interrupts = &hx4x::InterruptWatch::count;
    environment.log_file =
        hx4x::console_log_path(std::getenv("XDG_STATE_HOME"), std::getenv("HOME"));

    // The operator answering on the terminal must see the question even when standard error
    // goes to a file.
    PromptTerminal prompt;
    if (environment.input_is_terminal && !environment.streams.err_is_terminal) {
        prompt.stream = std::fopen("/dev/tty", "w");
        environment.streams.prompt = prompt.stream;
    }
    return hx4x::run_console(argc, argv, environment);
}
