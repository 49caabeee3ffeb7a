#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <string_view>

namespace hx4x::testing_support {

// Names a parameterised case after the `name` field of its table row, so a failure says which
// row broke and the name stays the same from build to build.
struct CaseName {
    template <class Param>
    std::string operator()(const ::testing::TestParamInfo<Param>& param) const {
        return std::string(param.param.name);
    }
};

// A valid case name that reads as the text: letters and digits stay, every other character
// becomes a word of its own (GoogleTest refuses a table whose names repeat).
inline std::string text_case_name(std::string_view text) {
    if (text.empty()) {
        return "Empty";
    }
    std::string name;
    bool word_before = false;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if ((u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z')) {
            if (word_before) {
                name += '_';
            }
            name += c;
            word_before = false;
            continue;
        }
        const char* word = nullptr;
        switch (c) {
            case ' ':
                word = "Space";
                break;
            case '\t':
                word = "Tab";
                break;
            case '\n':
                word = "Lf";
                break;
            case '\r':
                word = "Cr";
                break;
            case '_':
                word = "Underscore";
                break;
            case '-':
                word = "Dash";
                break;
            case '+':
                word = "Plus";
                break;
            case '*':
                word = "Star";
                break;
            case '?':
                word = "Query";
                break;
            case '|':
                word = "Bar";
                break;
            case '(':
                word = "Open";
                break;
            case ')':
                word = "Close";
                break;
            case '[':
                word = "SetOpen";
                break;
            case ']':
                word = "SetClose";
                break;
            case '^':
                word = "Caret";
                break;
            case '\\':
                word = "Backslash";
                break;
            case '/':
                word = "Slash";
                break;
            case ',':
                word = "Comma";
                break;
            case '.':
                word = "Dot";
                break;
            case ':':
                word = "Colon";
                break;
            case '=':
                word = "Equals";
                break;
            case '"':
                word = "Quote";
                break;
            default:
                break;
        }
        char hex[8];
        if (word == nullptr) {
            std::snprintf(hex, sizeof hex, "X%02X", u);
            word = hex;
        }
        if (!name.empty()) {
            name += '_';
        }
        name += word;
        word_before = true;
    }
    return name;
}

// The same for a table of plain texts.
struct TextCaseName {
    template <class Param>
    std::string operator()(const ::testing::TestParamInfo<Param>& param) const {
        return text_case_name(param.param);
    }
};

}  // namespace hx4x::testing_support
