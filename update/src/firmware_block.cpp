#include "update/firmware_block.hpp"

#include <algorithm>
#include <cstring>

namespace hx4x {

namespace {

std::uint16_t capacity_for(std::uint8_t width) {
    // The smaller of what the length field can count and what the counter's buffer holds.
    const std::uint32_t field_limit = (1u << (8u * width)) - 1u;
    const std::uint32_t buffer_limit = (width == 1 ? 255u : 2047u) - width - 5u;
    return static_cast<std::uint16_t>(std::min(field_limit, buffer_limit));
}

}  // namespace

FirmwareBlock::FirmwareBlock(std::uint8_t width)
    : width_(width == 1 ? std::uint8_t{1} : std::uint8_t{2}),
      capacity_(capacity_for(width_)),
      write_position_(4u + width_) {}

void FirmwareBlock::clear() {
    payload_length_ = 0;
    write_position_ = 4u + width_;
    start_address_ = 0;
}

bool FirmwareBlock::append(const std::uint8_t* data, std::size_t length) {
    if (length > room()) {
        return false;
    }
    if (length != 0) {
        std::memcpy(buffer_.data() + write_position_, data, length);
    }
    write_position_ += length;
    payload_length_ = static_cast<std::uint16_t>(payload_length_ + length);
    return true;
}

void FirmwareBlock::finish() {
    for (std::size_t i = 0; i < 4; ++i) {
        buffer_[i] = static_cast<std::uint8_t>(start_address_ >> (8u * i));
    }
    for (std::size_t i = 0; i < width_; ++i) {
        buffer_[4 + i] = static_cast<std::uint8_t>(payload_length_ >> (8u * i));
    }
    const std::size_t checksum_position = 4u + width_ + payload_length_;
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < checksum_position; ++i) {
        sum = static_cast<std::uint8_t>(sum + buffer_[i]);
    }
    buffer_[checksum_position] = static_cast<std::uint8_t>(0u - sum);
}

}  // namespace hx4x
