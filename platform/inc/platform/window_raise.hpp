#pragma once

#include <string>

namespace hx4x::platform {

// Brings the top-level window with exactly this title to the front, restored when it was
// minimised: how a second copy of the program shows the operator the first one. Windows
// finds it by title (FindWindowA) and raises it even from a process in the background.
// False when there is no such window, or where the system has no lookup by title (POSIX:
// the window front end asks the first copy itself).
bool raise_window_titled(const std::string& title);

}  // namespace hx4x::platform
