#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace hx4x::testing_support {

// One firmware block in wire form: address, length field of `width` bytes, data, checksum.
inline std::string firmware_block(std::uint32_t address, const std::vector<std::uint8_t>& data,
                                  int width) {
    std::string block;
    for (int i = 0; i < 4; ++i) {
        block += static_cast<char>((address >> (8 * i)) & 0xFF);
    }
    for (int i = 0; i < width; ++i) {
        block += static_cast<char>((data.size() >> (8 * i)) & 0xFF);
    }
    block.append(data.begin(), data.end());
    unsigned sum = 0;
    for (const char c : block) {
        sum += static_cast<unsigned char>(c);
    }
    block += static_cast<char>((0x100 - (sum & 0xFF)) & 0xFF);
    return block;
}

// "SYST:FIRM:DATA #" with the digit count, the size and the block.
inline std::string data_command(const std::string& block) {
    const std::string size = std::to_string(block.size());
    return "SYST:FIRM:DATA #" + std::to_string(size.size()) + size + block;
}

}  // namespace hx4x::testing_support
