#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace hx4x::visa_sim {

// The firmware bytes a counter has taken, as runs of contiguous addresses.
class ReceivedImage {
  public:
    // The raw file covers lowest to highest address; a wider spread is refused, not written.
    static constexpr std::uint64_t max_binary_span = 64u * 1024u * 1024u;

    // Stores `length` bytes at `address` (address + length must not pass 2^32). Bytes already
    // held must be equal (a resent block); false, storing nothing, when one differs.
    bool store(std::uint32_t address, const std::uint8_t* data, std::size_t length);
    bool empty() const { return runs_.empty(); }
    void clear() { runs_.clear(); }
    std::size_t byte_count() const;
    // Runs keyed by start address.
    const std::map<std::uint64_t, std::vector<std::uint8_t>>& runs() const { return runs_; }

    // Raw bytes, gaps filled with 0xFF.
    bool write_binary(const std::string& path, std::string* error) const;
    // "0x<address> <length> <hex bytes>" per run.
    bool write_map(const std::string& path, std::string* error) const;

  private:
    std::map<std::uint64_t, std::vector<std::uint8_t>> runs_;
};

}  // namespace hx4x::visa_sim
