#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "console/json_object.hpp"

namespace hx4x {

// Where the console writes: results on standard output (or JSON lines there), messages and
// progress on standard error. A progress line redrawn in place on a terminal is ended
// before anything else is written, so messages never land in the middle of it.
class ConsoleOutput {
  public:
    struct Streams {
        std::FILE* out = stdout;
        std::FILE* err = stderr;
        bool err_is_terminal = false;
        std::size_t width = 80;  // of the terminal behind err
    };

    ConsoleOutput(Streams streams, bool json) : streams_(streams), json_(json) {}

    bool json() const { return json_; }
    bool err_is_terminal() const { return streams_.err_is_terminal; }
    std::size_t width() const { return streams_.width; }

    // The text and a line end, on standard output.
    void result_line(std::string_view text);
    // Prefix, text and a line end, on standard error.
    void message_line(std::string_view prefix, std::string_view text);
    // Text as it is on standard error (a prompt), flushed.
    void prompt(std::string_view text);
    // One object per line on standard output, flushed at once so a reader sees it live.
    void json_line(const JsonObject& object);

    // The progress line on the terminal: drawn over the previous one.
    void draw_progress(std::string_view line);
    // Leaves the progress line as it stands and moves to the next line.
    void end_progress();
    // One progress line that stays, for logs.
    void progress_line(std::string_view line) { message_line("", line); }

  private:
    void write(std::FILE* stream, std::string_view text);

    Streams streams_;
    bool json_;
    bool progress_shown_ = false;
};

}  // namespace hx4x
