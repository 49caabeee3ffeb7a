#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "firmware/hex_record.hpp"
#include "update/firmware_block.hpp"

namespace hx4x {

// Packs the run of contiguous data records that starts at `index` into `block` and returns
// the index of the first record not consumed. An End Of File record is consumed and ends the
// block; an Extended Linear Address record sets `upper_address`, which the caller keeps
// across calls; other record types are passed over. A data record that does not continue
// the run, or does not fit the room left, is left for the next block.
std::size_t fill_block(std::span<const HexRecord> records, std::size_t index, FirmwareBlock& block,
                       std::uint32_t& upper_address);

// Why the image cannot go to a counter in blocks of the given width, or empty when it can:
// a data record without data or larger than an empty block (fill_block could never consume
// it), or one whose bytes run past the top of the 32-bit address space (no block address
// names them). Checked before anything reaches the counter.
std::string image_block_refusal(std::span<const HexRecord> records, std::uint8_t width);
bool image_fits_blocks(std::span<const HexRecord> records, std::uint8_t width);

// The block length field's width for a counter of this firmware version (times 100).
std::uint8_t block_width_for(int version_number);

}  // namespace hx4x
