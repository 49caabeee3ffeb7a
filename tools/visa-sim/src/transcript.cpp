#include "visa-sim/transcript.hpp"

#include <cstdio>

namespace hx4x::visa_sim {

std::string escape_text(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '\\':
                result += "\\\\";
                break;
            case '\n':
                result += "\\n";
                break;
            case '\r':
                result += "\\r";
                break;
            case '\t':
                result += "\\t";
                break;
            default:
                if (byte < 0x20 || byte > 0x7E || c == '>') {
                    char hex[8];
                    std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned>(byte));
                    result += hex;
                } else {
                    result += c;
                }
        }
    }
    return result;
}

bool Transcript::open(const std::string& path, bool append) {
    close();
    file_.open(path, std::ios::binary | (append ? std::ios::app : std::ios::trunc));
    return file_.is_open();
}

void Transcript::close() {
    if (file_.is_open()) {
        file_.close();
    }
    file_.clear();
}

void Transcript::write_line(const std::string& line) {
    if (!file_.is_open()) {
        return;
    }
    file_ << line << '\n';
    file_.flush();
}

}  // namespace hx4x::visa_sim
