#include "update/fill_block.hpp"

#include "AuxLib/number_format.hpp"
#include "update/protocol_timing.hpp"

namespace hx4x {

namespace {

// The upper 16 bits of the addresses an Extended Linear Address record sets.
std::uint32_t upper_address_of(const HexRecord& record) {
    return ((std::uint32_t{record.data[0]} << 8) | record.data[1]) << 16;
}

}  // namespace

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
            upper_address = upper_address_of(record);
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

std::string image_block_refusal(std::span<const HexRecord> records, std::uint8_t width) {
    const FirmwareBlock empty_block(width);
    std::uint32_t upper_address = 0;
    for (const HexRecord& record : records) {
        if (record.type == record_extended_linear_address) {
            upper_address = upper_address_of(record);
            continue;
        }
        if (record.type != record_data) {
            continue;
        }
        const std::uint32_t address = upper_address + record.load_offset;
        NumberFormat hex(address);
        hex.radix = 16;
        hex.width = 8;
        hex.flags = NumberFormat::zero_pad;
        const std::string head = "The data record for address 0x" + hex.to_string();
        if (record.length == 0) {
            return head + " holds no data bytes, and no block can carry it";
        }
        if (record.length > empty_block.capacity()) {
            return head + " holds " + std::to_string(record.length) +
                   " data bytes, and a block to this counter carries at most " +
                   std::to_string(empty_block.capacity());
        }
        if (std::uint64_t{address} + record.length > std::uint64_t{1} << 32) {
            return head + " runs past the highest address a block can name, 0xFFFFFFFF";
        }
    }
    return {};
}

std::uint8_t block_width_for(int version_number) {
    return version_number < wide_blocks_from_version ? std::uint8_t{1} : std::uint8_t{2};
}

bool image_fits_blocks(std::span<const HexRecord> records, std::uint8_t width) {
    return image_block_refusal(records, width).empty();
}

}  // namespace hx4x
