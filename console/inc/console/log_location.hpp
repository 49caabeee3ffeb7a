#pragma once

#include <string>

namespace hx4x {

// The console's log file in the user's state folder: $XDG_STATE_HOME/hx4x-update/ when that
// is an absolute path, else ~/.local/state/hx4x-update/, created as needed (private to the
// user). Empty when neither can be had. Never in the current folder: the program is run
// from anywhere, and several stations append to the one file at once.
std::string console_log_path(const char* state_home, const char* home);

}  // namespace hx4x
