#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace hx4x::testing_support {

// One Intel HEX record line (without line end), checksum computed.
inline std::string hex_record_line(std::uint8_t type, std::uint16_t offset,
                                   const std::vector<std::uint8_t>& data) {
    char byte[3];
    std::string line = ":";
    std::uint32_t sum = 0;
    auto put = [&](std::uint8_t value) {
        std::snprintf(byte, sizeof byte, "%02X", value);
        line += byte;
        sum += value;
    };
    put(static_cast<std::uint8_t>(data.size()));
    put(static_cast<std::uint8_t>(offset >> 8));
    put(static_cast<std::uint8_t>(offset & 0xFF));
    put(type);
    for (std::uint8_t value : data) {
        put(value);
    }
    put(static_cast<std::uint8_t>((0x100 - (sum & 0xFF)) & 0xFF));
    return line;
}

// A firmware file holding both signatures and, when version is not empty, the version
// keyword with its text and a terminating zero; bytes_per_record data bytes per line, an
// Extended Linear Address record at every 64 KiB.
inline std::string firmware_hex_text(const std::string& version, std::size_t total_bytes = 256,
                                     std::size_t bytes_per_record = 16) {
    std::string payload = "R OZU Zavi Zerud";
    payload += '\0';
    payload += "VALDMORE";
    payload += '\0';
    if (!version.empty()) {
        payload += "KELDOR-VERSION:" + version;
        payload += '\0';
    }
    std::vector<std::uint8_t> bytes(payload.begin(), payload.end());
    for (std::size_t i = bytes.size(); i < total_bytes; ++i) {
        bytes.push_back(static_cast<std::uint8_t>((i * 7 + 3) & 0xFF));
    }
    std::string text;
    for (std::size_t address = 0; address < bytes.size(); address += bytes_per_record) {
        if (address % 0x10000 == 0 && address != 0) {
            const auto upper = static_cast<std::uint16_t>(address >> 16);
            text += hex_record_line(4, 0,
                                    {static_cast<std::uint8_t>(upper >> 8),
                                     static_cast<std::uint8_t>(upper & 0xFF)}) +
                    "\n";
        }
        const std::size_t end = std::min(bytes.size(), address + bytes_per_record);
        text +=
            hex_record_line(0, static_cast<std::uint16_t>(address & 0xFFFF),
                            std::vector<std::uint8_t>(bytes.begin() + static_cast<long>(address),
                                                      bytes.begin() + static_cast<long>(end))) +
            "\n";
    }
    text += ":00000001FF\n";
    return text;
}

}  // namespace hx4x::testing_support
