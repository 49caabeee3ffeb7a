#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>

// The console's terminal services, one implementation per platform (posix/, win32/).
namespace hx4x {

// Makes the standard streams safe for an unattended run, before anything else: a standard
// stream closed at start gets the null device (else the next file opened, a dump or the
// log, would take its place and receive JSON or messages); a reader that went away
// (`| head -1`) no longer ends the process with a prepared counter (failed writes are noted
// and reported at the end instead); a console is asked to understand the escape sequence
// that erases a line. Returns whether standard error's terminal erases that way.
bool prepare_standard_streams();

// The operator's terminal, opened for writing, so that a question still reaches the
// operator when standard error goes to a file; null when there is none.
std::FILE* open_operator_terminal();

// Whether the stream is connected to a terminal.
bool is_terminal(std::FILE* stream);

// Columns of the terminal behind the stream; 80 when it cannot be told.
std::size_t terminal_width(std::FILE* stream);

enum class LineResult { line, end_of_input, interrupted };

// Reads one line typed on the terminal (or read from the pipe or file) behind the descriptor,
// without its line end and cut to max_length characters. The wait is done in short slices so that
// an interrupt (asked after every slice) ends it instead of being held until the operator presses
// Enter.
LineResult read_terminal_line(int descriptor, std::string& line,
                              const std::function<bool()>& interrupted,
                              std::size_t max_length = 256);

}  // namespace hx4x
