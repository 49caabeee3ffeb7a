#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "flat_json.hpp"

// Reading what a program run by a test wrote: its lines, its JSON lines, its transcript.
namespace hx4x::testing_support {

inline bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

inline std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t begin = 0; begin < text.size();) {
        const std::size_t end = std::min(text.find('\n', begin), text.size());
        lines.push_back(text.substr(begin, end - begin));
        begin = end + 1;
    }
    return lines;
}

// 1-based position of the last line holding part; 0 when none does.
inline std::size_t last_index_of(const std::vector<std::string>& lines, const std::string& part) {
    std::size_t found = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (contains(lines[i], part)) {
            found = i + 1;
        }
    }
    return found;
}

// Whether the text is whole lines, each one JSON object, as a script reads it.
inline ::testing::AssertionResult whole_json_lines(const std::string& text) {
    if (!text.empty() && text.back() != '\n') {
        return ::testing::AssertionFailure() << "ends in half a line: " << text;
    }
    for (const std::string& line : lines_of(text)) {
        if (!FlatJson::parse(line)) {
            return ::testing::AssertionFailure() << "not a JSON object: " << line;
        }
    }
    return ::testing::AssertionSuccess();
}

// A member's text in a JSON line; empty when the line is no object or lacks the member.
inline std::string member(const std::string& line, const std::string& key) {
    const auto object = FlatJson::parse(line);
    return object && object->count(key) != 0 ? object->at(key).text : "";
}

}  // namespace hx4x::testing_support
