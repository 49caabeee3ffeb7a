#include "platform/profile_text.hpp"

#include <cstddef>

namespace hx4x::platform {

namespace {

constexpr std::string_view utf8_mark = "\xEF\xBB\xBF";

bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view trim_blanks(std::string_view text) {
    while (!text.empty() && is_blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && is_blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

char ascii_lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool same_name(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (ascii_lower(a[i]) != ascii_lower(b[i])) {
            return false;
        }
    }
    return true;
}

bool has_line_breaking_byte(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

bool name_storable(std::string_view name) {
    return !name.empty() && !has_line_breaking_byte(name) && !is_blank(name.front()) &&
           !is_blank(name.back());
}

enum class LineKind { other, section, key };

struct Line {
    std::size_t begin = 0;
    std::size_t body_end = 0;  // before the line end (LF, or CR LF)
    std::size_t end = 0;       // after the LF, or the end of the text
    LineKind kind = LineKind::other;
    std::string_view name;
    std::string_view value;  // trimmed, quotes kept
};

void classify(std::string_view body, Line& line) {
    const std::string_view content = trim_blanks(body);
    if (content.empty() || content.front() == ';') {
        return;
    }
    if (content.front() == '[') {
        const std::size_t close = content.find(']');
        if (close != std::string_view::npos) {
            line.kind = LineKind::section;
            line.name = trim_blanks(content.substr(1, close - 1));
        }
        return;
    }
    const std::size_t equals = content.find('=');
    if (equals == std::string_view::npos) {
        return;
    }
    line.name = trim_blanks(content.substr(0, equals));
    if (!line.name.empty()) {
        line.kind = LineKind::key;
        line.value = trim_blanks(content.substr(equals + 1));
    }
}

// Walks the lines of a text front to back.
class LineWalker {
  public:
    explicit LineWalker(std::string_view text)
        : text_(text), position_(text.starts_with(utf8_mark) ? utf8_mark.size() : 0) {}

    bool next(Line& line) {
        if (position_ >= text_.size()) {
            return false;
        }
        line = Line{};
        line.begin = position_;
        const std::size_t feed = text_.find('\n', position_);
        const std::size_t stop = feed == std::string_view::npos ? text_.size() : feed;
        line.end = feed == std::string_view::npos ? text_.size() : feed + 1;
        // A CR before the LF belongs to the line end; replacing a line keeps its line end.
        line.body_end =
            feed != std::string_view::npos && stop > position_ && text_[stop - 1] == '\r' ? stop - 1
                                                                                          : stop;
        classify(text_.substr(line.begin, stop - line.begin), line);
        position_ = line.end;
        return true;
    }

  private:
    std::string_view text_;
    std::size_t position_;
};

std::string_view without_quotes(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

std::string_view line_end_of(std::string_view text) {
    const std::size_t feed = text.find('\n');
    if (feed == std::string_view::npos) {
        return "\r\n";  // a new file gets the line end the system's own writer uses
    }
    return feed > 0 && text[feed - 1] == '\r' ? "\r\n" : "\n";
}

}  // namespace

bool profile_entry_storable(std::string_view section, std::string_view key,
                            std::string_view value) {
    return name_storable(section) && section.find(']') == std::string_view::npos &&
           name_storable(key) && key.find('=') == std::string_view::npos && key.front() != ';' &&
           key.front() != '[' && !has_line_breaking_byte(value);
}

std::optional<std::string> find_profile_value(std::string_view text, std::string_view section,
                                              std::string_view key) {
    LineWalker walker(text);
    Line line;
    bool in_section = false;
    while (walker.next(line)) {
        if (line.kind == LineKind::section) {
            if (in_section) {
                return std::nullopt;  // only the first section of the name counts
            }
            in_section = same_name(line.name, section);
        } else if (in_section && line.kind == LineKind::key && same_name(line.name, key)) {
            return std::string(without_quotes(line.value));
        }
    }
    return std::nullopt;
}

std::optional<std::string> with_profile_value(std::string_view text, std::string_view section,
                                              std::string_view key, std::string_view value) {
    if (!profile_entry_storable(section, key, value) || text.starts_with("\xFF\xFE") ||
        text.starts_with("\xFE\xFF")) {
        return std::nullopt;
    }
    const std::string_view line_end = line_end_of(text);
    std::string entry;
    entry.reserve(key.size() + 1 + value.size());
    entry.append(key).append("=").append(value);

    LineWalker walker(text);
    Line line;
    Line anchor;  // the section's header, then its last key
    Line last;
    bool any_line = false;
    bool in_section = false;
    bool found_section = false;
    while (walker.next(line)) {
        any_line = true;
        last = line;
        if (line.kind == LineKind::section) {
            if (in_section) {
                break;
            }
            in_section = same_name(line.name, section);
            if (in_section) {
                found_section = true;
                anchor = line;
            }
        } else if (in_section && line.kind == LineKind::key) {
            if (same_name(line.name, key)) {
                std::string result(text.substr(0, line.begin));
                result.append(entry).append(text.substr(line.body_end));
                return result;
            }
            anchor = line;
        }
    }

    std::string result;
    if (found_section) {
        // Below the section's last key, so blank lines and comments that part it from the
        // next section stay where they are.
        result.append(text.substr(0, anchor.end));
        if (text[anchor.end - 1] != '\n') {
            result.append(line_end);
        }
        result.append(entry).append(line_end).append(text.substr(anchor.end));
        return result;
    }
    result.append(text);
    if (any_line) {
        if (text.back() != '\n') {
            result.append(line_end);
        }
        if (!trim_blanks(text.substr(last.begin, last.body_end - last.begin)).empty()) {
            result.append(line_end);  // a blank line before the new section
        }
    }
    result.append("[").append(section).append("]").append(line_end);
    result.append(entry).append(line_end);
    return result;
}

}  // namespace hx4x::platform
