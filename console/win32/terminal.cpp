#include "console/terminal.hpp"

#include <io.h>
#include <windows.h>

namespace hx4x {

namespace {

constexpr DWORD wait_slice_ms = 100;
constexpr std::size_t fallback_width = 80;

HANDLE handle_of(int descriptor) {
    if (descriptor < 0) {
        return INVALID_HANDLE_VALUE;
    }
    return reinterpret_cast<HANDLE>(_get_osfhandle(descriptor));
}

HANDLE handle_of(std::FILE* stream) {
    return stream != nullptr ? handle_of(_fileno(stream)) : INVALID_HANDLE_VALUE;
}

bool is_console(HANDLE handle) {
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && handle != nullptr &&
           GetConsoleMode(handle, &mode) != 0;
}

// Bytes that can be read from a pipe without blocking; for anything else (a file) one.
bool input_ready(HANDLE input, bool& ended) {
    ended = false;
    if (GetFileType(input) != FILE_TYPE_PIPE) {
        return true;
    }
    DWORD available = 0;
    if (PeekNamedPipe(input, nullptr, 0, nullptr, &available, nullptr) == 0) {
        ended = true;  // the writer closed its end
        return false;
    }
    return available > 0;
}

void keep(std::string& line, char c, std::size_t max_length) {
    if (c != '\r' && line.size() < max_length) {
        line += c;
    }
}

}  // namespace

bool is_terminal(std::FILE* stream) {
    return is_console(handle_of(stream));
}

std::size_t terminal_width(std::FILE* stream) {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (GetConsoleScreenBufferInfo(handle_of(stream), &info) == 0) {
        return fallback_width;
    }
    const int columns = info.srWindow.Right - info.srWindow.Left + 1;
    return columns > 0 ? static_cast<std::size_t>(columns) : fallback_width;
}

LineResult read_terminal_line(int descriptor, std::string& line,
                              const std::function<bool()>& interrupted, std::size_t max_length) {
    line.clear();
    const HANDLE input = handle_of(descriptor);
    if (input == INVALID_HANDLE_VALUE || input == nullptr) {
        return LineResult::end_of_input;
    }
    if (is_console(input)) {
        // The console edits and echoes the line while a read waits. Ctrl-C and Ctrl-Break
        // end a waiting read without text (processed input), and the handler has counted
        // them by then; a line longer than the buffer comes in several reads.
        if (interrupted && interrupted()) {
            return LineResult::interrupted;
        }
        for (;;) {
            char buffer[256];
            DWORD got = 0;
            const BOOL read = ReadConsoleA(input, buffer, sizeof buffer, &got, nullptr);
            if (interrupted && interrupted()) {
                return LineResult::interrupted;
            }
            if (read == 0 || got == 0) {
                if (read == 0 && GetLastError() == ERROR_OPERATION_ABORTED) {
                    // The handler runs on a thread of its own and may count a moment later.
                    Sleep(wait_slice_ms);
                    if (interrupted && interrupted()) {
                        return LineResult::interrupted;
                    }
                    continue;
                }
                return line.empty() ? LineResult::end_of_input : LineResult::line;
            }
            for (DWORD i = 0; i < got; ++i) {
                if (buffer[i] == '\n') {
                    return LineResult::line;
                }
                keep(line, buffer[i], max_length);
            }
        }
    }
    for (;;) {
        if (interrupted && interrupted()) {
            return LineResult::interrupted;
        }
        bool ended = false;
        if (!input_ready(input, ended)) {
            if (ended) {
                return line.empty() ? LineResult::end_of_input : LineResult::line;
            }
            Sleep(wait_slice_ms);
            continue;
        }
        char c = 0;
        DWORD got = 0;
        if (ReadFile(input, &c, 1, &got, nullptr) == 0 || got == 0) {
            return line.empty() ? LineResult::end_of_input : LineResult::line;
        }
        if (c == '\n') {
            return LineResult::line;
        }
        keep(line, c, max_length);
    }
}

}  // namespace hx4x
