#include "visa-usbtmc/usbtmc_control.hpp"

namespace hx4x::visa_usbtmc {

bool parse_capabilities(std::span<const std::uint8_t> reply, Capabilities* caps) {
    *caps = Capabilities{};
    if (reply.size() < capabilities_length || reply[0] != control_status::success) {
        return false;
    }
    caps->known = true;
    caps->indicator_pulse = (reply[4] & 0x04) != 0;
    caps->talk_only = (reply[4] & 0x02) != 0;
    caps->listen_only = (reply[4] & 0x01) != 0;
    caps->term_char = (reply[5] & 0x01) != 0;
    // bcdUSB488 is zero on a plain USBTMC interface.
    caps->usb488 = reply[12] != 0 || reply[13] != 0 || (reply[14] & 0x04) != 0;
    caps->ren_control = caps->usb488 && (reply[14] & 0x02) != 0;
    caps->trigger = caps->usb488 && (reply[14] & 0x01) != 0;
    caps->service_request = caps->usb488 && (reply[15] & 0x04) != 0;
    return true;
}

std::uint8_t next_status_tag(std::uint8_t tag) {
    return (tag < 2 || tag >= 127) ? 2 : static_cast<std::uint8_t>(tag + 1);
}

StatusReply parse_status_byte_reply(std::span<const std::uint8_t> reply, std::uint8_t tag,
                                    bool has_interrupt_in) {
    StatusReply result;
    if (reply.size() < status_byte_reply_length) {
        return result;
    }
    if (reply[0] == 0x20) {  // STATUS_INTERRUPT_IN_BUSY: an earlier answer is still unread
        result.kind = StatusReplyKind::busy;
        return result;
    }
    if (reply[0] != control_status::success || reply[1] != tag) {
        return result;
    }
    if (has_interrupt_in) {
        result.kind = StatusReplyKind::on_interrupt;
        return result;
    }
    result.kind = StatusReplyKind::value;
    result.status_byte = reply[2];
    return result;
}

Notification parse_notification(std::span<const std::uint8_t> packet) {
    Notification n;
    if (packet.size() < 2 || (packet[0] & 0x80) == 0) {
        return n;
    }
    const std::uint8_t tag = packet[0] & 0x7F;
    if (tag == 0x01) {
        n.kind = NotificationKind::service_request;
        n.status_byte = packet[1];
    } else if (tag >= 2) {
        n.kind = NotificationKind::status_byte;
        n.tag = tag;
        n.status_byte = packet[1];
    }
    return n;
}

CheckReply parse_check_abort_in(std::span<const std::uint8_t> reply) {
    CheckReply r;
    if (reply.size() < check_abort_length) {
        return r;
    }
    r.valid = true;
    r.status = reply[0];
    r.data_pending = (reply[1] & 0x01) != 0;
    return r;
}

CheckReply parse_check_abort_out(std::span<const std::uint8_t> reply) {
    CheckReply r;
    if (reply.size() < check_abort_length) {
        return r;
    }
    r.valid = true;
    r.status = reply[0];
    return r;
}

CheckReply parse_check_clear(std::span<const std::uint8_t> reply) {
    CheckReply r;
    if (reply.size() < check_clear_length) {
        return r;
    }
    r.valid = true;
    r.status = reply[0];
    r.data_pending = (reply[1] & 0x01) != 0;
    return r;
}

}  // namespace hx4x::visa_usbtmc
