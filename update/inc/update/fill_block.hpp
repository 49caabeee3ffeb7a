#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

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

// True when every data record can be consumed by fill_block: it has data and fits an empty
// block of the given width. A record that fails this could never be sent.
bool image_fits_blocks(std::span<const HexRecord> records, std::uint8_t width);

}  // namespace hx4x
