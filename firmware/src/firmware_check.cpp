#include "firmware/firmware_check.hpp"

#include <cstdint>

#include "firmware/firmware_setup.hpp"
#include "firmware/hex_file_reader.hpp"

namespace hx4x {

namespace {

bool keep_going(void*, std::uint32_t, std::uint32_t) {
    return true;
}

void write_line(std::FILE* out, const std::string& text) {
    // The text comes from the file's contents: written as data, never as a format.
    std::fwrite(text.data(), 1, text.size(), out);
    std::fputc('\n', out);
}

}  // namespace

bool check_firmware_file(const std::string& path, std::FILE* out) {
    HexFileReader reader;
    FirmwareVersion version;
    std::string error;
    if (!load_firmware(reader, path, &keep_going, nullptr, &version, &error)) {
        write_line(out, error);
        std::fflush(out);
        return false;
    }
    write_line(out, "OK");
    if (version.known) {
        write_line(out, "version: " + version.text);
    }
    return std::fflush(out) == 0;
}

}  // namespace hx4x
