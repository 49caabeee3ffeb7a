#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "AuxLib/json_object.hpp"

namespace hx4x {

// Where the console writes: results on standard output (or JSON lines there), messages and
// progress on standard error. A progress line redrawn in place on a terminal is ended
// before anything else is written, so messages never land in the middle of it. Every text
// but the program's own progress drawing is written with its control characters made
// visible. A write that fails is remembered, never fatal: the update goes on regardless; a
// file it went to keeps its whole lines only.
class ConsoleOutput {
  public:
    struct Streams {
        std::FILE* out = stdout;
        std::FILE* err = stderr;
        bool out_is_terminal = false;
        bool err_is_terminal = false;
        std::size_t width = 80;  // of the terminal behind err
        // Whether that terminal erases to the end of the line on the escape sequence; a
        // console without it gets the old line overwritten with blanks instead.
        bool erases_with_escape = true;
        // The terminal to ask the confirmation on when standard error is not one (the
        // operator still sees the question when errors go to a file); null: err.
        std::FILE* prompt = nullptr;
        // True once the terminal has gone away: nothing more is written to a terminal.
        std::function<bool()> hung_up;
    };

    ConsoleOutput(Streams streams, bool json) : streams_(std::move(streams)), json_(json) {}

    bool json() const { return json_; }
    bool err_is_terminal() const { return streams_.err_is_terminal; }
    std::size_t width() const { return streams_.width; }
    // A name the texts may hold (the firmware file, the counter asked for): wherever it
    // appears it is shown by visible_name, line feeds and tabs in it included.
    void add_name(std::string name);

    // Some output could not be written (a closed pipe, a full disk).
    bool write_failed() const { return write_failed_; }

    // The text and a line end, on standard output.
    void result_line(std::string_view text);
    // Prefix, text and a line end, on standard error.
    void message_line(std::string_view prefix, std::string_view text);
    // The confirmation question and its prompt, flushed, where the operator will see them.
    void question(std::string_view text);
    void prompt(std::string_view text);
    // One object per line on standard output, flushed at once so a reader sees it live.
    void json_line(const JsonObject& object);

    // The progress line on the terminal: drawn over the previous one.
    void draw_progress(std::string_view line);
    // Several progress lines at once, one per counter, drawn over the previous ones. Needs a
    // terminal that moves the cursor and erases by escape sequences.
    void draw_board(const std::vector<std::string>& lines);
    bool can_draw_board() const { return streams_.err_is_terminal && streams_.erases_with_escape; }
    // Leaves the progress line (or lines) as they stand and moves to the next line.
    void end_progress();
    // One progress line that stays, for logs.
    void progress_line(std::string_view line) { message_line("", line); }

  private:
    // The text as shown: the names in it made visible, then its control characters.
    std::string shown(std::string_view text) const;
    bool hung_up() const { return streams_.hung_up && streams_.hung_up(); }
    // Whether the stream may still be written: a terminal that hung up is not.
    bool usable(std::FILE* stream) const;
    std::FILE* prompt_stream() const {
        return streams_.prompt != nullptr ? streams_.prompt : streams_.err;
    }
    void write(std::FILE* stream, std::string_view text);
    void flush(std::FILE* stream);
    // Text ending in a line end, written and flushed as one piece. A regular file that cannot
    // take it whole is cut back to where it began: a script reading the file finds whole lines
    // only, never half a JSON object.
    void write_lines(std::FILE* stream, std::string_view text);

    Streams streams_;
    bool json_;
    std::vector<std::string> names_;
    bool progress_shown_ = false;
    std::size_t progress_length_ = 0;
    // Lines of the board on the screen above and at the cursor; 0 when none is shown.
    std::size_t board_lines_ = 0;
    bool write_failed_ = false;
};

}  // namespace hx4x
