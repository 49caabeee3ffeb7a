#pragma once

#include <functional>
#include <optional>
#include <string>

#include "console/console_output.hpp"

namespace hx4x {

// What the console runs against: its streams, whether they are terminals, the count of
// interrupts received (the process's own in the program, a script's in tests) and where
// its log goes (empty: standard error).
struct ConsoleEnvironment {
    ConsoleOutput::Streams streams;
    bool input_is_terminal = false;
    int input_descriptor = 0;
    std::function<unsigned()> interrupts;
    std::string log_file;
    // Where the log goes when set, asked only by a run that may log: it may create the log's
    // folder, which help, version, check and a command-line error never do.
    std::function<std::string()> log_location;
    // The system's own command line where it keeps one (Windows); else the argument vector
    // given to run_console is joined into one.
    std::optional<std::string> command_line;
};

// The whole console program: parse, then help, check, list or an update through the update
// controller. Returns the exit status.
int run_console(int argc, const char* const* argv, const ConsoleEnvironment& environment);

}  // namespace hx4x
