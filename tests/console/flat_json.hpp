#pragma once

#include <map>
#include <optional>
#include <string>

namespace hx4x::testing_support {

// One member value of a flat JSON object.
struct JsonValue {
    enum class Type { string, number, boolean, null } type = Type::null;
    std::string text;  // strings decoded; numbers and literals as written
    bool is_null() const { return type == Type::null; }
};

// A strict reader for one flat JSON object (no nesting), independent of the writer under
// test: none when the text is not exactly one such object.
class FlatJson {
  public:
    static std::optional<std::map<std::string, JsonValue>> parse(const std::string& text) {
        FlatJson reader(text);
        std::map<std::string, JsonValue> members;
        if (!reader.eat('{')) {
            return std::nullopt;
        }
        if (!reader.eat('}')) {
            do {
                std::string key;
                JsonValue value;
                if (!reader.string(key) || !reader.eat(':') || !reader.value(value)) {
                    return std::nullopt;
                }
                members[key] = value;
            } while (reader.eat(','));
            if (!reader.eat('}')) {
                return std::nullopt;
            }
        }
        if (reader.at_ != text.size()) {
            return std::nullopt;
        }
        return members;
    }

  private:
    explicit FlatJson(const std::string& text) : text_(text) {}

    bool eat(char c) {
        if (at_ < text_.size() && text_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }

    static void put_utf8(std::string& out, unsigned code) {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }

    bool string(std::string& out) {
        if (!eat('"')) {
            return false;
        }
        while (at_ < text_.size()) {
            const auto c = static_cast<unsigned char>(text_[at_++]);
            if (c == '"') {
                return true;
            }
            if (c < 0x20) {
                return false;
            }
            if (c != '\\') {
                out += static_cast<char>(c);
                continue;
            }
            if (at_ >= text_.size()) {
                return false;
            }
            const char e = text_[at_++];
            const std::string simple = "\"\\/bfnrt";
            const std::string meaning = "\"\\/\b\f\n\r\t";
            if (const auto k = simple.find(e); k != std::string::npos) {
                out += meaning[k];
            } else if (e == 'u' && at_ + 4 <= text_.size()) {
                put_utf8(out, static_cast<unsigned>(std::stoul(text_.substr(at_, 4), nullptr, 16)));
                at_ += 4;
            } else {
                return false;
            }
        }
        return false;
    }

    bool value(JsonValue& v) {
        if (at_ < text_.size() && text_[at_] == '"') {
            v.type = JsonValue::Type::string;
            return string(v.text);
        }
        for (const char* literal : {"true", "false", "null"}) {
            const std::string word = literal;
            if (text_.compare(at_, word.size(), word) == 0) {
                at_ += word.size();
                v.type = word == "null" ? JsonValue::Type::null : JsonValue::Type::boolean;
                v.text = word;
                return true;
            }
        }
        const std::size_t start = at_;
        eat('-');
        while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') {
            ++at_;
        }
        v.type = JsonValue::Type::number;
        v.text = text_.substr(start, at_ - start);
        return !v.text.empty() && v.text != "-";
    }

    const std::string& text_;
    std::size_t at_ = 0;
};

}  // namespace hx4x::testing_support
