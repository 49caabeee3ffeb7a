#include "console/console_output.hpp"

namespace hx4x {

void ConsoleOutput::write(std::FILE* stream, std::string_view text) {
    // Texts may come from files and devices: written as data, never as a format.
    std::fwrite(text.data(), 1, text.size(), stream);
}

void ConsoleOutput::result_line(std::string_view text) {
    end_progress();
    write(streams_.out, text);
    write(streams_.out, "\n");
    std::fflush(streams_.out);
}

void ConsoleOutput::message_line(std::string_view prefix, std::string_view text) {
    end_progress();
    // Both streams may end on one terminal: what went to standard output goes first.
    std::fflush(streams_.out);
    write(streams_.err, prefix);
    write(streams_.err, text);
    write(streams_.err, "\n");
    std::fflush(streams_.err);
}

void ConsoleOutput::prompt(std::string_view text) {
    end_progress();
    std::fflush(streams_.out);
    write(streams_.err, text);
    std::fflush(streams_.err);
}

void ConsoleOutput::json_line(const JsonObject& object) {
    write(streams_.out, object.text());
    write(streams_.out, "\n");
    std::fflush(streams_.out);
}

void ConsoleOutput::draw_progress(std::string_view line) {
    // Back to the start of the line, the new text, then erase what is left of the old one.
    write(streams_.err, "\r");
    write(streams_.err, line);
    write(streams_.err, "\x1b[K");
    std::fflush(streams_.err);
    progress_shown_ = true;
}

void ConsoleOutput::end_progress() {
    if (progress_shown_) {
        write(streams_.err, "\n");
        std::fflush(streams_.err);
        progress_shown_ = false;
    }
}

}  // namespace hx4x
