#pragma once

namespace hx4x {

// The window program from start to end: the program's identity from its own version record,
// one copy at a time (a second copy raises the first one's window and ends), the command
// line, the log file, then the window until it closes. Returns the exit status.
int run_loader(int argc, char** argv);

}  // namespace hx4x
