#pragma once

#include <cstdint>
#include <string>

namespace hx4x {

// What a generated firmware file looks like.
struct HexGeneratorOptions {
    std::uint32_t data_records = 1000;
    std::uint32_t record_length = 16;  // 1 to 255
    std::uint32_t base_address = 0;
    std::uint32_t seed = 1;
    bool crlf = false;
    bool end_of_text_mark = false;  // a 0x1A after the last line
    bool signatures = true;         // both required signatures in the data
    std::string version = "2.03";   // empty: no version keyword
};

// A realistic firmware file: pseudo-random data records, an Extended Linear Address record at
// every 64 KiB boundary, the signatures and the version keyword in the data, End Of File last.
std::string generate_hex_text(const HexGeneratorOptions& options);

// One record as text, upper-case digits, without line end.
std::string hex_record_text(std::uint32_t type, std::uint16_t load_offset, const std::uint8_t* data,
                            std::size_t length);

}  // namespace hx4x
