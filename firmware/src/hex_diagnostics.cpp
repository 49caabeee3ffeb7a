#include "firmware/hex_diagnostics.hpp"

#include <cstdio>

namespace hx4x {

namespace {

std::string describe_character(const char* prefix, std::uint8_t character) {
    std::string text = prefix;
    // A NUL or a line feed inside the text would cut or break the one-line message.
    if (character != 0 && character != '\n') {
        text += " symbol '";
        text += static_cast<char>(character);
        text += "'";
    } else {
        text += " another symbol";
    }
    char code[48];
    std::snprintf(code, sizeof code, " (ASCII code: dec=%03u, hex=0x%02X)",
                  static_cast<unsigned>(character), static_cast<unsigned>(character));
    text += code;
    return text;
}

}  // namespace

std::string hex_byte_text(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%02X", static_cast<unsigned>(value & 0xFFu));
    return text;
}

std::string hex_word_text(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(value & 0xFFFFu));
    return text;
}

std::string digit_diagnostic(std::uint8_t character) {
    return describe_character("Expected hexademical digit, but found", character);
}

std::string record_start_diagnostic(std::uint8_t character) {
    return describe_character("First symbol of each record should be ':', but found", character);
}

}  // namespace hx4x
