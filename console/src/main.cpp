// hx4x-update: the firmware update on a console, for scripts and production lines.
#include <cstdio>

#include "console/console_app.hpp"
#include "console/interrupt_watch.hpp"
#include "console/terminal.hpp"

int main(int argc, char** argv) {
    // Installed before anything can be interrupted, for the whole run.
    const hx4x::InterruptWatch interrupts;
    hx4x::ConsoleEnvironment environment;
    environment.streams.out = stdout;
    environment.streams.err = stderr;
    environment.streams.err_is_terminal = hx4x::is_terminal(stderr);
    environment.streams.width = hx4x::terminal_width(stderr);
    environment.input_is_terminal = hx4x::is_terminal(stdin);
    environment.input_descriptor = fileno(stdin);
    environment.interrupts = &hx4x::InterruptWatch::count;
    return hx4x::run_console(argc, argv, environment);
}
