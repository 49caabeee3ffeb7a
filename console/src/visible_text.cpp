#include "console/visible_text.hpp"

#include <cstddef>

namespace hx4x {

namespace {

void escape(std::string& out, unsigned char byte) {
    static constexpr char digits[] = "0123456789ABCDEF";
    out += "\\x";
    out += digits[byte >> 4];
    out += digits[byte & 0x0F];
}

bool continuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// The length of the well-formed UTF-8 sequence at position (2 to 4), or 0 when none starts
// there: no overlong forms, no surrogates, nothing above U+10FFFF.
std::size_t sequence_length(std::string_view text, std::size_t position) {
    const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(position);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() - position < length) {
        return 0;
    }
    if (byte(position + 1) < low || byte(position + 1) > high) {
        return 0;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if (!continuation(byte(position + i))) {
            return 0;
        }
    }
    return length;
}

std::string visible(std::string_view text, bool keep_line_breaks) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            const bool kept = keep_line_breaks && (byte == '\n' || byte == '\t');
            if ((byte < 0x20 && !kept) || byte == 0x7F) {
                escape(out, byte);
            } else {
                out += text[i];
            }
            ++i;
            continue;
        }
        const std::size_t length = sequence_length(text, i);
        if (length == 0) {
            // Not UTF-8: a lone C1 byte is a control to many terminals; 0xA0 and above are
            // kept for texts in an 8-bit code page.
            if (byte <= 0x9F) {
                escape(out, byte);
            } else {
                out += text[i];
            }
            ++i;
            continue;
        }
        const bool c1_control = byte == 0xC2 && static_cast<unsigned char>(text[i + 1]) <= 0x9F;
        for (std::size_t k = 0; k < length; ++k) {
            if (c1_control) {
                escape(out, static_cast<unsigned char>(text[i + k]));
            } else {
                out += text[i + k];
            }
        }
        i += length;
    }
    return out;
}

}  // namespace

std::string visible_text(std::string_view text) {
    return visible(text, true);
}

std::string visible_name(std::string_view text) {
    return visible(text, false);
}

}  // namespace hx4x
