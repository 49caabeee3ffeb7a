// hexcheck FILE: loads FILE exactly as an update would and says whether it is accepted.
#include <cstdint>
#include <cstdio>
#include <string>

#include "firmware/firmware_setup.hpp"
#include "firmware/hex_file_reader.hpp"

namespace {

bool keep_going(void*, std::uint32_t, std::uint32_t) {
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: hexcheck FILE\n", stderr);
        return 1;
    }
    hx4x::HexFileReader reader;
    hx4x::FirmwareVersion version;
    std::string error;
    if (!hx4x::load_firmware(reader, argv[1], &keep_going, nullptr, &version, &error)) {
        // The text comes from the file's contents: written as data, never as a format.
        std::fwrite(error.data(), 1, error.size(), stdout);
        std::fputc('\n', stdout);
        return 1;
    }
    std::fputs("OK\n", stdout);
    if (version.known) {
        std::fputs("version: ", stdout);
        std::fwrite(version.text.data(), 1, version.text.size(), stdout);
        std::fputc('\n', stdout);
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}
