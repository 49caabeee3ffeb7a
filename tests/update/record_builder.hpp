#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "firmware/hex_record.hpp"

namespace hx4x::test {

inline HexRecord data_record(std::uint16_t offset, std::vector<std::uint8_t> bytes) {
    HexRecord record;
    record.type = record_data;
    record.load_offset = offset;
    record.length = static_cast<std::uint8_t>(bytes.size());
    for (std::size_t i = 0; i < bytes.size() && i < record.data.size(); ++i) {
        record.data[i] = bytes[i];
    }
    return record;
}

// A data record of `length` bytes counting up from `first`.
inline HexRecord counting_record(std::uint16_t offset, std::size_t length, std::uint8_t first = 0) {
    std::vector<std::uint8_t> bytes(length);
    for (std::size_t i = 0; i < length; ++i) {
        bytes[i] = static_cast<std::uint8_t>(first + i);
    }
    return data_record(offset, bytes);
}

inline HexRecord linear_address_record(std::uint16_t upper) {
    HexRecord record;
    record.type = record_extended_linear_address;
    record.length = 2;
    record.data[0] = static_cast<std::uint8_t>(upper >> 8);
    record.data[1] = static_cast<std::uint8_t>(upper);
    return record;
}

inline HexRecord typed_record(std::uint32_t type, std::uint8_t length) {
    HexRecord record;
    record.type = type;
    record.length = length;
    return record;
}

inline HexRecord end_of_file_record() {
    return typed_record(record_end_of_file, 0);
}

}  // namespace hx4x::test
