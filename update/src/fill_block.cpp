#include "update/fill_block.hpp"

namespace hx4x {

std::size_t fill_block(std::span<const HexRecord> records, std::size_t index, FirmwareBlock& block,
                       std::uint32_t& upper_address) {
    block.clear();
    // A separate flag rather than "0 means none": a run that ends exactly at the top of the
    // 32-bit space must not make any next record look contiguous.
    bool has_expected = false;
    std::uint32_t expected_address = 0;

    for (; index < records.size(); ++index) {
        const HexRecord& record = records[index];
        if (record.type == record_end_of_file) {
            ++index;
            break;
        }
        if (record.type == record_extended_linear_address) {
            upper_address = ((std::uint32_t{record.data[0]} << 8) | record.data[1]) << 16;
            continue;
        }
        if (record.type != record_data) {
            continue;
        }
        const std::uint32_t address = upper_address + record.load_offset;
        if (block.empty()) {
            block.set_start_address(address);
        }
        if (has_expected && expected_address != address) {
            break;
        }
        if (record.length == 0 || record.length > block.room()) {
            break;
        }
        block.append(record.data.data(), record.length);
        expected_address = address + record.length;
        has_expected = true;
    }

    if (!block.empty()) {
        block.finish();
    }
    return index;
}

bool image_fits_blocks(std::span<const HexRecord> records, std::uint8_t width) {
    const FirmwareBlock empty_block(width);
    for (const HexRecord& record : records) {
        if (record.type == record_data &&
            (record.length == 0 || record.length > empty_block.capacity())) {
            return false;
        }
    }
    return true;
}

}  // namespace hx4x
