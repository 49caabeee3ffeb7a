#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>

namespace hx4x {

// Whether the stream is connected to a terminal.
bool is_terminal(std::FILE* stream);

// Columns of the terminal behind the stream; 80 when it cannot be told.
std::size_t terminal_width(std::FILE* stream);

enum class LineResult { line, end_of_input, interrupted };

// Reads one line typed on the terminal behind the descriptor, without its line end and cut to
// max_length characters. The wait is done in short slices so that an interrupt (asked after
// every slice) ends it instead of being held until the operator presses Enter.
LineResult read_terminal_line(int descriptor, std::string& line,
                              const std::function<bool()>& interrupted,
                              std::size_t max_length = 256);

}  // namespace hx4x
