#include "visa-sim/program_message.hpp"

#include <algorithm>
#include <utility>

namespace hx4x::visa_sim {

namespace {

constexpr int invalid_block_data = -161;
constexpr int data_type_error = -104;

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}
bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

std::string upper_case(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return result;
}

class MessageParser {
  public:
    // A trailing line end terminates the message, but only where the parser stands outside a
    // definite-length block: a block's own last byte may well be a line feed.
    explicit MessageParser(std::string_view message) : text_(message) {}

    std::vector<ProgramUnit> parse() {
        std::vector<ProgramUnit> units;
        skip_blanks();
        if (at_end()) {
            return units;
        }
        for (;;) {
            ProgramUnit next = unit();
            // An empty unit (";;" or a trailing ';') is no command.
            if (!next.header.empty() || !next.parameter.empty() ||
                next.block_begin != ProgramUnit::no_block || next.syntax_error != 0) {
                units.push_back(std::move(next));
            }
            if (at_end()) {
                break;
            }
            ++pos_;  // ';'
        }
        return units;
    }

  private:
    bool at_end() const {
        const std::string_view rest = text_.substr(std::min(pos_, text_.size()));
        return rest.empty() || rest == "\n" || rest == "\r\n";
    }
    void skip_blanks() {
        while (!at_end() && is_blank(text_[pos_])) {
            ++pos_;
        }
    }
    void skip_to_separator() {
        while (!at_end() && text_[pos_] != ';') {
            ++pos_;
        }
    }

    ProgramUnit unit() {
        ProgramUnit unit;
        skip_blanks();
        const std::size_t start = pos_;
        while (!at_end() && !is_blank(text_[pos_]) && text_[pos_] != ';') {
            ++pos_;
        }
        std::string_view header = text_.substr(start, pos_ - start);
        if (!header.empty() && header.front() == ':') {
            header.remove_prefix(1);
        }
        unit.header = upper_case(header);
        skip_blanks();
        if (!at_end() && text_[pos_] == '#') {
            block(unit);
        } else {
            const std::size_t value = pos_;
            skip_to_separator();
            std::string_view parameter = text_.substr(value, pos_ - value);
            while (!parameter.empty() && is_blank(parameter.back())) {
                parameter.remove_suffix(1);
            }
            unit.parameter = std::string(parameter);
        }
        return unit;
    }

    // A block whose extent cannot be known swallows the rest of the message.
    void malformed_block(ProgramUnit& unit) {
        unit.syntax_error = invalid_block_data;
        unit.block_begin = pos_;
        unit.block_end = text_.size();
        pos_ = text_.size();
    }

    void block(ProgramUnit& unit) {
        ++pos_;  // '#'
        if (at_end() || !is_digit(text_[pos_])) {
            unit.syntax_error = invalid_block_data;
            skip_to_separator();
            return;
        }
        const std::size_t digits = static_cast<std::size_t>(text_[pos_] - '0');
        if (digits == 0 || text_.size() - pos_ - 1 < digits) {
            malformed_block(unit);
            return;
        }
        std::size_t size = 0;
        for (std::size_t i = 1; i <= digits; ++i) {
            const char c = text_[pos_ + i];
            if (!is_digit(c)) {
                malformed_block(unit);
                return;
            }
            size = size * 10 + static_cast<std::size_t>(c - '0');
        }
        pos_ += digits + 1;
        if (text_.size() - pos_ < size) {
            malformed_block(unit);
            return;
        }
        unit.block = text_.substr(pos_, size);
        unit.block_ok = true;
        unit.block_begin = pos_;
        unit.block_end = pos_ + size;
        pos_ += size;
        skip_blanks();
        if (!at_end() && text_[pos_] != ';') {
            unit.syntax_error = data_type_error;
            skip_to_separator();
        }
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

}  // namespace

std::vector<ProgramUnit> parse_program_message(std::string_view message) {
    return MessageParser(message).parse();
}

}  // namespace hx4x::visa_sim
