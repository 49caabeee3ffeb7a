#include "firmware/firmware_check.hpp"

#include <cstdint>

#include "firmware/firmware_setup.hpp"
#include "firmware/hex_file_reader.hpp"

namespace hx4x {

namespace {

constexpr const char* out_of_memory_note =
    ": there is not enough memory to hold the file's records";

bool keep_going(void*, std::uint32_t, std::uint32_t) {
    return true;
}

}  // namespace

bool check_firmware_file(const std::string& path, std::string& text, std::string* error) {
    HexFileReader reader;
    FirmwareVersion version;
    std::string reason;
    if (!load_firmware(reader, path, &keep_going, nullptr, &version, &reason)) {
        if (reader.out_of_memory()) {
            // The reader's own text reads like a damaged disk; the remedy is another.
            reason += out_of_memory_note;
        }
        text = reason + "\n";
        if (error != nullptr) {
            *error = reason;
        }
        return false;
    }
    text = "OK\n";
    if (version.known) {
        text += "version: " + version.text + "\n";
    }
    return true;
}

bool check_firmware_file(const std::string& path, std::FILE* out) {
    std::string text;
    const bool accepted = check_firmware_file(path, text);
    // The text comes from the file's contents: written as data, never as a format.
    const bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    return std::fflush(out) == 0 && written && accepted;
}

}  // namespace hx4x
