#pragma once

// The bulk-endpoint message framing of USBTMC, kept free of any USB library so that every
// rule about headers, tags and replies can be checked on plain bytes.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace hx4x::visa_usbtmc {

inline constexpr std::size_t bulk_header_size = 12;
inline constexpr std::uint8_t msg_dev_dep_out = 1;
inline constexpr std::uint8_t msg_request_dev_dep_in = 2;
inline constexpr std::uint8_t msg_dev_dep_in = 2;
inline constexpr std::uint8_t attribute_eom = 0x01;

// The payload of one bulk transfer, in either direction, is kept to this so that every
// transfer fits a buffer of bounded size.
inline constexpr std::size_t max_transfer_payload = 64 * 1024;

using BulkHeader = std::array<std::uint8_t, bulk_header_size>;

// bTag runs 1..255 and never takes 0.
std::uint8_t next_bulk_tag(std::uint8_t tag);

// Rounds a transfer length up to the 4-byte alignment every bulk-OUT transfer keeps.
std::size_t padded_length(std::size_t length);

// DEV_DEP_MSG_OUT: header, payload, zero padding to a multiple of 4.
std::vector<std::uint8_t> encode_dev_dep_out(std::uint8_t tag,
                                             std::span<const std::uint8_t> payload,
                                             bool end_of_message);
// REQUEST_DEV_DEP_MSG_IN for up to `size` bytes; TermChar is not used.
BulkHeader encode_request_dev_dep_in(std::uint8_t tag, std::uint32_t size);

// Cuts one write into transfers of at most `limit` payload bytes, the last one carrying EOM.
// An empty write is one empty transfer with EOM.
class WriteSplitter {
  public:
    WriteSplitter(std::span<const std::uint8_t> payload, std::size_t limit);
    bool done() const { return started_ && offset_ >= payload_.size(); }
    // The next transfer's payload and whether it ends the message.
    std::span<const std::uint8_t> next(bool* end_of_message);

  private:
    std::span<const std::uint8_t> payload_;
    std::size_t limit_;
    std::size_t offset_ = 0;
    bool started_ = false;
};

enum class ReplyFault {
    none,
    too_short,      // fewer bytes than a header
    wrong_message,  // MsgID is not DEV_DEP_MSG_IN
    wrong_tag,      // bTag differs from the request's, or ~bTag does not complement it
    reserved_set,   // a byte the header keeps zero is not
    over_asked,     // TransferSize beyond what was requested
    over_received,  // TransferSize beyond the bytes that arrived
    trailing_bytes  // more bytes after the payload than its alignment explains
};

struct DevDepInReply {
    ReplyFault fault = ReplyFault::none;
    std::uint32_t size = 0;  // payload bytes, which follow the header
    bool end_of_message = false;
};

// Checks one received DEV_DEP_MSG_IN transfer (header and everything after it) against the
// request that asked for `asked` bytes with `tag`.
DevDepInReply check_dev_dep_in(std::span<const std::uint8_t> received, std::uint8_t tag,
                               std::uint32_t asked);

// The buffer one reply of `asked` payload bytes needs: header, payload, alignment, rounded
// up to whole packets so that the device's last packet always fits.
std::size_t reply_buffer_length(std::uint32_t asked, std::size_t max_packet);

// The wait one transfer gets for a VISA time-out. libusb reads 0 as "for ever", so
// VI_TMO_IMMEDIATE still gives the device a millisecond; VI_TMO_INFINITE, and any value
// beyond the cap, is held to two minutes so that no call waits on a device for ever.
inline constexpr unsigned max_transfer_timeout_ms = 120000;
unsigned transfer_timeout_ms(std::uint32_t visa_timeout_ms);

}  // namespace hx4x::visa_usbtmc
