#include "console/visible_text.hpp"

#include <cstddef>

#include "AuxLib/utf8_sequence.hpp"

namespace hx4x {

namespace {

void escape(std::string& out, unsigned char byte) {
    static constexpr char digits[] = "0123456789ABCDEF";
    out += "\\x";
    out += digits[byte >> 4];
    out += digits[byte & 0x0F];
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
        const std::size_t length = utf8_sequence_length(text, i);
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
