#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "console/terminal.hpp"

namespace hx4x {

namespace {

// A program started without a standard stream has none behind its number: the null device
// takes the place.
void occupy(std::FILE* stream, const char* mode) {
    if (_fileno(stream) < 0 || _get_osfhandle(_fileno(stream)) < 0) {
        std::FILE* reopened = std::freopen("NUL", mode, stream);
        static_cast<void>(reopened);
    }
}

UINT saved_output_code_page = 0;

void restore_output_code_page() {
    SetConsoleOutputCP(saved_output_code_page);
}

// Texts are 8-bit in the system's ANSI code page (file names, the system's messages), and
// a console shows bytes in its own (OEM) one: "é" would come out as another letter. The
// console's page is set to the program's for the run and put back at exit.
void match_console_code_page() {
    const UINT current = GetConsoleOutputCP();
    const UINT wanted = GetACP();
    if (current == 0 || current == wanted || SetConsoleOutputCP(wanted) == 0) {
        return;
    }
    saved_output_code_page = current;
    std::atexit(restore_output_code_page);
}

}  // namespace

bool prepare_standard_streams() {
    occupy(stdin, "r");
    occupy(stdout, "w");
    occupy(stderr, "w");
    match_console_code_page();
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
