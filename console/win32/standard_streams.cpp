#include <windows.h>
#include <io.h>

#include <cstdio>

#include "console/terminal.hpp"

namespace hx4x {

namespace {

// A program started without a standard stream has none behind its number: the null device
// takes the place.
void occupy(std::FILE* stream, const char* mode) {
    if (_fileno(stream) < 0 || _get_osfhandle(_fileno(stream)) == -1) {
        std::FILE* reopened = std::freopen("NUL", mode, stream);
        static_cast<void>(reopened);
    }
}

}  // namespace

bool prepare_standard_streams() {
    occupy(stdin, "r");
    occupy(stdout, "w");
    occupy(stderr, "w");
    // Writes to a closed pipe fail with an error here; nothing ends the process.
    const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (err == INVALID_HANDLE_VALUE || err == nullptr || GetConsoleMode(err, &mode) == 0) {
        return true;  // not a console: a terminal behind a pipe understands the sequence
    }
    if ((mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0) {
        return true;
    }
    return SetConsoleMode(err, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

std::FILE* open_operator_terminal() {
    return std::fopen("CONOUT$", "w");
}

}  // namespace hx4x
