#include "AuxLib/json_object.hpp"

#include <cstdio>

#include "AuxLib/utf8_sequence.hpp"

namespace hx4x {

namespace {

void append_unicode_escape(std::string& out, unsigned code) {
    char escape[8];
    std::snprintf(escape, sizeof escape, "\\u%04x", code & 0xFFFFu);
    out += escape;
}

}  // namespace

std::string json_string(std::string_view text) {
    std::string out = "\"";
    out.reserve(text.size() + 2);
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            const std::size_t length = utf8_sequence_length(text, i);
            if (length == 0) {
                append_unicode_escape(out, c);
                ++i;
            } else {
                out.append(text.substr(i, length));
                i += length;
            }
            continue;
        }
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\f':
                out += "\\f";
                break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    append_unicode_escape(out, c);
                } else {
                    out += static_cast<char>(c);
                }
        }
        ++i;
    }
    out += '"';
    return out;
}

JsonObject& JsonObject::add_raw(std::string_view key, const std::string& value) {
    if (!members_.empty()) {
        members_ += ',';
    }
    members_ += json_string(key);
    members_ += ':';
    members_ += value;
    return *this;
}

JsonObject& JsonObject::add(std::string_view key, std::string_view value) {
    return add_raw(key, json_string(value));
}

JsonObject& JsonObject::add_number(std::string_view key, std::int64_t value) {
    return add_raw(key, std::to_string(value));
}

JsonObject& JsonObject::add_bool(std::string_view key, bool value) {
    return add_raw(key, value ? "true" : "false");
}

JsonObject& JsonObject::add_null(std::string_view key) {
    return add_raw(key, "null");
}

}  // namespace hx4x
