#include "usbtmc-emulator/trace.hpp"

namespace hx4x::usbtmc_emulator {

Trace::~Trace() {
    if (file_ != nullptr) {
        std::fclose(file_);
    }
}

bool Trace::open(const std::string& path) {
    file_ = std::fopen(path.c_str(), "w");
    return file_ != nullptr;
}

void Trace::line(const std::string& device, const std::string& text) {
    if (file_ == nullptr) {
        return;
    }
    std::fprintf(file_, "%s %s\n", device.c_str(), text.c_str());
    std::fflush(file_);
}

std::string shown_bytes(const std::string& bytes, std::size_t limit) {
    std::string out;
    for (std::size_t i = 0; i < bytes.size() && i < limit; ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    if (bytes.size() > limit) {
        out += "...";
    }
    return out;
}

}  // namespace hx4x::usbtmc_emulator
