#include "visa-usbtmc/usbtmc_framing.hpp"

#include <algorithm>

namespace hx4x::visa_usbtmc {

namespace {

void put_le32(std::uint8_t* out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

std::uint32_t get_le32(const std::uint8_t* in) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | in[i];
    }
    return value;
}

BulkHeader header(std::uint8_t msg_id, std::uint8_t tag, std::uint32_t size,
                  std::uint8_t attributes) {
    BulkHeader h{};
    h[0] = msg_id;
    h[1] = tag;
    h[2] = static_cast<std::uint8_t>(~tag);
    put_le32(&h[4], size);
    h[8] = attributes;
    return h;
}

}  // namespace

std::uint8_t next_bulk_tag(std::uint8_t tag) {
    return tag == 255 ? 1 : static_cast<std::uint8_t>(tag + 1);
}

std::size_t padded_length(std::size_t length) {
    return (length + 3) & ~static_cast<std::size_t>(3);
}

std::vector<std::uint8_t> encode_dev_dep_out(std::uint8_t tag,
                                             std::span<const std::uint8_t> payload,
                                             bool end_of_message) {
    const BulkHeader h = header(msg_dev_dep_out, tag, static_cast<std::uint32_t>(payload.size()),
                                end_of_message ? attribute_eom : 0);
    std::vector<std::uint8_t> transfer(padded_length(bulk_header_size + payload.size()), 0);
    std::copy(h.begin(), h.end(), transfer.begin());
    std::copy(payload.begin(), payload.end(),
              transfer.begin() + static_cast<std::ptrdiff_t>(bulk_header_size));
    return transfer;
}

BulkHeader encode_request_dev_dep_in(std::uint8_t tag, std::uint32_t size) {
    return header(msg_request_dev_dep_in, tag, size, 0);
}

WriteSplitter::WriteSplitter(std::span<const std::uint8_t> payload, std::size_t limit)
    : payload_(payload), limit_(std::max<std::size_t>(limit, 4)) {}

std::span<const std::uint8_t> WriteSplitter::next(bool* end_of_message) {
    started_ = true;
    const std::size_t length = std::min(limit_, payload_.size() - offset_);
    const auto piece = payload_.subspan(offset_, length);
    offset_ += length;
    *end_of_message = offset_ >= payload_.size();
    return piece;
}

DevDepInReply check_dev_dep_in(std::span<const std::uint8_t> received, std::uint8_t tag,
                               std::uint32_t asked) {
    DevDepInReply reply;
    if (received.size() < bulk_header_size) {
        reply.fault = ReplyFault::too_short;
        return reply;
    }
    const std::uint8_t* h = received.data();
    if (h[0] != msg_dev_dep_in) {
        reply.fault = ReplyFault::wrong_message;
        return reply;
    }
    if (h[1] != tag || h[2] != static_cast<std::uint8_t>(~tag)) {
        reply.fault = ReplyFault::wrong_tag;
        return reply;
    }
    // bmTransferAttributes may carry EOM and the TermChar bit; only EOM is ours to read.
    if (h[3] != 0 || h[9] != 0 || h[10] != 0 || h[11] != 0) {
        reply.fault = ReplyFault::reserved_set;
        return reply;
    }
    const std::uint32_t size = get_le32(&h[4]);
    if (size > asked) {
        reply.fault = ReplyFault::over_asked;
        return reply;
    }
    const std::size_t body = received.size() - bulk_header_size;
    if (size > body) {
        reply.fault = ReplyFault::over_received;
        return reply;
    }
    if (body > padded_length(bulk_header_size + size) - bulk_header_size) {
        reply.fault = ReplyFault::trailing_bytes;
        return reply;
    }
    reply.size = size;
    reply.end_of_message = (h[8] & attribute_eom) != 0;
    return reply;
}

std::size_t reply_buffer_length(std::uint32_t asked, std::size_t max_packet) {
    const std::size_t packet = max_packet == 0 ? 64 : max_packet;
    const std::size_t needed = padded_length(bulk_header_size + asked);
    return (needed + packet - 1) / packet * packet;
}

unsigned transfer_timeout_ms(std::uint32_t visa_timeout_ms) {
    return std::clamp<std::uint32_t>(visa_timeout_ms, 1, max_transfer_timeout_ms);
}

}  // namespace hx4x::visa_usbtmc
