#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace hx4x {

// The text as a JSON string literal, quotes included. Texts are 8-bit and need not be
// UTF-8: well-formed UTF-8 sequences pass through, every other byte of 0x80 and above is
// written as \u00XX (read as Latin-1), so the output is always valid JSON in UTF-8.
std::string json_string(std::string_view text);

// One JSON object built member by member, in the order added; keys are the program's own.
class JsonObject {
  public:
    JsonObject& add(std::string_view key, std::string_view value);
    JsonObject& add(std::string_view key, const char* value) {
        return add(key, std::string_view(value));
    }
    JsonObject& add(std::string_view key, const std::string& value) {
        return add(key, std::string_view(value));
    }
    JsonObject& add_number(std::string_view key, std::int64_t value);
    JsonObject& add_bool(std::string_view key, bool value);
    JsonObject& add_null(std::string_view key);
    // The text, or null when it is empty: a value nobody could read.
    JsonObject& add_or_null(std::string_view key, const std::string& value) {
        return value.empty() ? add_null(key) : add(key, value);
    }

    // "{...}" without line end.
    std::string text() const { return "{" + members_ + "}"; }

  private:
    JsonObject& add_raw(std::string_view key, const std::string& value);

    std::string members_;
};

}  // namespace hx4x
