#pragma once

#include <array>
#include <cstdint>

namespace hx4x {

// One checked Intel HEX record, stored by value.
struct HexRecord {
    // Asks for a record whose data room is left unset: the reader writes the bytes it keeps
    // at once, and zeroing the unused room of every record would cost more than the parse.
    struct DataLeftUnset {};

    HexRecord() noexcept : data{} {}
    explicit HexRecord(DataLeftUnset) noexcept {}

    std::uint32_t type = 0;         // RECTYP, 0 to 5 after a successful parse
    std::uint16_t load_offset = 0;  // LOAD OFFSET
    std::uint8_t length = 0;        // RECLEN: how many bytes of data are valid
    std::array<std::uint8_t, 255> data;
};

inline constexpr std::uint32_t record_data = 0;
inline constexpr std::uint32_t record_end_of_file = 1;
inline constexpr std::uint32_t record_extended_segment_address = 2;
inline constexpr std::uint32_t record_start_segment_address = 3;
inline constexpr std::uint32_t record_extended_linear_address = 4;
inline constexpr std::uint32_t record_start_linear_address = 5;

}  // namespace hx4x
