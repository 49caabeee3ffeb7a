#include "console/console_output.hpp"

#include <optional>

#include "console/visible_text.hpp"
#include "console/whole_lines.hpp"

namespace hx4x {

bool ConsoleOutput::usable(std::FILE* stream) const {
    if (stream == nullptr) {
        return false;
    }
    if (!hung_up()) {
        return true;
    }
    const bool terminal = stream == streams_.prompt ||
                          (stream == streams_.err && streams_.err_is_terminal) ||
                          (stream == streams_.out && streams_.out_is_terminal);
    return !terminal;
}

void ConsoleOutput::write(std::FILE* stream, std::string_view text) {
    if (!usable(stream)) {
        return;
    }
    // Texts may come from files and devices: written as data, never as a format.
    if (std::fwrite(text.data(), 1, text.size(), stream) != text.size()) {
        write_failed_ = true;
    }
}

void ConsoleOutput::flush(std::FILE* stream) {
    if (usable(stream) && std::fflush(stream) != 0) {
        write_failed_ = true;
    }
}

void ConsoleOutput::write_lines(std::FILE* stream, std::string_view text) {
    if (!usable(stream)) {
        return;
    }
    // What the stream still holds goes first, so the text begins exactly where the file ends.
    flush(stream);
    if (const std::optional<bool> whole = write_whole_lines_to_file(stream, text)) {
        write_failed_ = write_failed_ || !*whole;
        return;
    }
    // Pipes, terminals and devices: through the stream, flushed at once. A line cut short
    // there is reported all the same.
    write(stream, text);
    flush(stream);
}

void ConsoleOutput::add_name(std::string name) {
    // Only a name that the whole-text rule would show differently needs looking for.
    if (!name.empty() && visible_name(name) != visible_text(name)) {
        names_.push_back(std::move(name));
    }
}

std::string ConsoleOutput::shown(std::string_view text) const {
    if (names_.empty()) {
        return visible_text(text);
    }
    std::string replaced(text);
    for (const std::string& name : names_) {
        const std::string visible = visible_name(name);
        for (std::size_t at = replaced.find(name); at != std::string::npos;
             at = replaced.find(name, at + visible.size())) {
            replaced.replace(at, name.size(), visible);
        }
    }
    // What visible_name wrote is printable and passes unchanged.
    return visible_text(replaced);
}

void ConsoleOutput::result_line(std::string_view text) {
    end_progress();
    write_lines(streams_.out, shown(text) + "\n");
}

void ConsoleOutput::message_line(std::string_view prefix, std::string_view text) {
    end_progress();
    // Both streams may end on one terminal: what went to standard output goes first.
    flush(streams_.out);
    write_lines(streams_.err, std::string(prefix) + shown(text) + "\n");
}

void ConsoleOutput::question(std::string_view text) {
    end_progress();
    flush(streams_.out);
    write_lines(prompt_stream(), shown(text) + "\n");
}

void ConsoleOutput::prompt(std::string_view text) {
    end_progress();
    flush(streams_.out);
    write(prompt_stream(), visible_text(text));
    flush(prompt_stream());
}

void ConsoleOutput::json_line(const JsonObject& object) {
    write_lines(streams_.out, object.text() + "\n");
}

void ConsoleOutput::draw_progress(std::string_view line) {
    if (!usable(streams_.err)) {
        return;
    }
    // Back to the start of the line, the new text, then erase what is left of the old one.
    std::string text = visible_text(line);
    const std::size_t length = text.size();
    if (streams_.erases_with_escape) {
        text += "\x1b[K";
    } else if (length < progress_length_) {
        text.append(progress_length_ - length, ' ');
    }
    write(streams_.err, "\r" + text);
    progress_length_ = length;
    flush(streams_.err);
    progress_shown_ = true;
}

void ConsoleOutput::draw_board(const std::vector<std::string>& lines) {
    if (!usable(streams_.err) || lines.empty()) {
        return;
    }
    // Back to the board's first line, then each line over the old one. The cursor stays at
    // the end of the last line, as after a single progress line.
    std::string text = "\r";
    if (board_lines_ > 1) {
        text += "\x1b[" + std::to_string(board_lines_ - 1) + "A";
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        text += visible_text(lines[i]) + "\x1b[K";
        if (i + 1 < lines.size()) {
            text += "\n";
        }
    }
    write(streams_.err, text);
    flush(streams_.err);
    board_lines_ = lines.size();
    progress_shown_ = true;
}

void ConsoleOutput::end_progress() {
    if (progress_shown_) {
        progress_shown_ = false;
        progress_length_ = 0;
        board_lines_ = 0;
        write(streams_.err, "\n");
        flush(streams_.err);
    }
}

}  // namespace hx4x
