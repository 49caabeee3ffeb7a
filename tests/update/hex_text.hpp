#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "firmware/hex_record.hpp"

namespace hx4x::test {

// Intel HEX text of the records, one per line, upper-case digits.
inline std::string to_hex_text(std::span<const HexRecord> records) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text;
    for (const HexRecord& record : records) {
        std::vector<std::uint8_t> bytes = {
            record.length, static_cast<std::uint8_t>(record.load_offset >> 8),
            static_cast<std::uint8_t>(record.load_offset), static_cast<std::uint8_t>(record.type)};
        bytes.insert(bytes.end(), record.data.begin(), record.data.begin() + record.length);
        std::uint8_t sum = 0;
        for (std::uint8_t b : bytes) {
            sum = static_cast<std::uint8_t>(sum + b);
        }
        bytes.push_back(static_cast<std::uint8_t>(0u - sum));
        text += ':';
        for (std::uint8_t b : bytes) {
            text += digits[b >> 4];
            text += digits[b & 0x0F];
        }
        text += '\n';
    }
    return text;
}

// Address to byte, built straight from the address rules of the format (not through the
// block building), as the reference for what a counter must receive.
inline std::map<std::uint32_t, std::uint8_t> memory_of(std::span<const HexRecord> records) {
    std::map<std::uint32_t, std::uint8_t> memory;
    std::uint32_t base = 0;
    for (const HexRecord& record : records) {
        if (record.type == record_extended_linear_address) {
            base = (std::uint32_t{record.data[0]} << 24) | (std::uint32_t{record.data[1]} << 16);
        } else if (record.type == record_data) {
            for (std::uint32_t i = 0; i < record.length; ++i) {
                memory[base + record.load_offset + i] = record.data[i];
            }
        }
    }
    return memory;
}

// The raw image a counter keeps: lowest to highest address, gaps filled with 0xFF.
inline std::vector<std::uint8_t> raw_image(const std::map<std::uint32_t, std::uint8_t>& memory) {
    if (memory.empty()) {
        return {};
    }
    const std::uint32_t low = memory.begin()->first;
    const std::uint32_t high = memory.rbegin()->first;
    std::vector<std::uint8_t> image(std::size_t{high - low} + 1, 0xFF);
    for (const auto& [address, value] : memory) {
        image[address - low] = value;
    }
    return image;
}

}  // namespace hx4x::test
