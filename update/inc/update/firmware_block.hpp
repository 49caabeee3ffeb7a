#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace hx4x {

// One data block in its wire form: start address (4 bytes, little-endian), payload length
// (width bytes, little-endian), payload, and a checksum that makes all bytes sum to 0.
class FirmwareBlock {
  public:
    // The largest block any counter takes: 2040 data bytes behind a two-byte length.
    static constexpr std::size_t max_size = 2047;

    // Width 1 for counters below 107, 2 from there on; any other value is taken as 2.
    explicit FirmwareBlock(std::uint8_t width);

    std::uint8_t width() const { return width_; }
    // 249 data bytes with width 1, 2040 with width 2.
    std::uint16_t capacity() const { return capacity_; }
    std::uint16_t payload_length() const { return payload_length_; }
    bool empty() const { return payload_length_ == 0; }
    std::uint16_t room() const { return static_cast<std::uint16_t>(capacity_ - payload_length_); }
    std::uint32_t start_address() const { return start_address_; }

    // n + width + 5: the bytes put on the wire once finish() has run.
    std::size_t size() const { return std::size_t{payload_length_} + width_ + 5u; }
    const std::uint8_t* bytes() const { return buffer_.data(); }

    // Empties the payload; the write position goes just behind the length field.
    void clear();
    void set_start_address(std::uint32_t address) { start_address_ = address; }
    // False, and nothing appended, when the bytes do not fit the room left.
    bool append(const std::uint8_t* data, std::size_t length);
    // Writes the start address, the length field and the checksum around the payload.
    void finish();

  private:
    std::uint8_t width_;
    std::uint16_t capacity_;
    std::uint16_t payload_length_ = 0;
    std::size_t write_position_;
    std::uint32_t start_address_ = 0;
    std::array<std::uint8_t, max_size> buffer_{};
};

}  // namespace hx4x
