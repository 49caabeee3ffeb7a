// Replies and records from hostile input: the reply parsers must stay in bounds, and the
// block walk over any record list must end, consume every record it reports consumed, and
// build blocks whose bytes sum to 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "update/fill_block.hpp"
#include "update/reply_parsing.hpp"

namespace hx4x::fuzzing {

// Aborts on a broken invariant.
inline void run_update_blocks_case(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    hx4x::reply_reports_no_error(text);
    if (hx4x::event_status_from_reply(text) > 255) {
        std::abort();
    }

    // Records: type, two offset bytes, length, then that many data bytes.
    std::vector<hx4x::HexRecord> records;
    for (std::size_t at = 0; at + 4 <= size;) {
        hx4x::HexRecord record;
        record.type = data[at] % 6;
        record.load_offset = static_cast<std::uint16_t>(data[at + 1] << 8 | data[at + 2]);
        record.length = data[at + 3];
        at += 4;
        for (std::size_t i = 0; i < record.length && at < size; ++i, ++at) {
            record.data[i] = data[at];
        }
        records.push_back(record);
    }
    for (std::uint8_t width : {std::uint8_t{1}, std::uint8_t{2}}) {
        const bool fits = hx4x::image_fits_blocks(records, width);
        hx4x::FirmwareBlock block(width);
        std::uint32_t upper = 0;
        for (std::size_t index = 0; index < records.size();) {
            const std::size_t next = hx4x::fill_block(records, index, block, upper);
            if (next < index || next > records.size() || (fits && next == index)) {
                std::abort();
            }
            if (!block.empty()) {
                std::uint8_t sum = 0;
                for (std::size_t i = 0; i < block.size(); ++i) {
                    sum = static_cast<std::uint8_t>(sum + block.bytes()[i]);
                }
                if (sum != 0 || block.payload_length() > block.capacity()) {
                    std::abort();
                }
            }
            if (next == index) {
                break;  // an unsendable record; the transfer refuses such an image first
            }
            index = next;
        }
    }
}

}  // namespace hx4x::fuzzing
