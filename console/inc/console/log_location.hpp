#pragma once

#include <string>

namespace hx4x {

// The console's log file in the user's own folder for program state, created as needed:
// on POSIX console_log_path of $XDG_STATE_HOME and $HOME, on Windows
// %LOCALAPPDATA%\hx4x-update\hx4x-update.log. Empty when there is none.
std::string default_console_log_path();

// The console's log file in the user's state folder: $XDG_STATE_HOME/hx4x-update/ when that
// is an absolute path, else ~/.local/state/hx4x-update/, created as needed (private to the
// user). Empty when neither can be had. Never in the current folder: the program is run
// from anywhere, and several stations append to the one file at once. POSIX only.
std::string console_log_path(const char* state_home, const char* home);

}  // namespace hx4x
