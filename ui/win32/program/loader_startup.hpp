#pragma once

namespace hx4x::win32 {

// The window program from start to end on Win32, with the command line the system keeps.
// Returns the exit status.
int run_loader();

}  // namespace hx4x::win32
