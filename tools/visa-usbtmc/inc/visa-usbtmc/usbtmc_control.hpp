#pragma once

// The class requests of USBTMC and USB488 on the control endpoint, and the interrupt-IN
// notifications, as plain byte parsing: no USB library here.

#include <cstddef>
#include <cstdint>
#include <span>

namespace hx4x::visa_usbtmc {

namespace request {
inline constexpr std::uint8_t initiate_abort_bulk_out = 1;
inline constexpr std::uint8_t check_abort_bulk_out_status = 2;
inline constexpr std::uint8_t initiate_abort_bulk_in = 3;
inline constexpr std::uint8_t check_abort_bulk_in_status = 4;
inline constexpr std::uint8_t initiate_clear = 5;
inline constexpr std::uint8_t check_clear_status = 6;
inline constexpr std::uint8_t get_capabilities = 7;
inline constexpr std::uint8_t read_status_byte = 128;
inline constexpr std::uint8_t ren_control = 160;
inline constexpr std::uint8_t go_to_local = 161;
inline constexpr std::uint8_t local_lockout = 162;
}  // namespace request

// USBTMC_status values of a control reply.
namespace control_status {
inline constexpr std::uint8_t success = 0x01;
inline constexpr std::uint8_t pending = 0x02;
inline constexpr std::uint8_t failed = 0x80;
inline constexpr std::uint8_t transfer_not_in_progress = 0x81;
}  // namespace control_status

inline constexpr std::size_t capabilities_length = 0x18;
inline constexpr std::size_t check_abort_length = 8;
inline constexpr std::size_t check_clear_length = 2;
inline constexpr std::size_t status_byte_reply_length = 3;

struct Capabilities {
    bool known = false;  // false when the device did not answer GET_CAPABILITIES
    bool indicator_pulse = false;
    bool talk_only = false;
    bool listen_only = false;
    bool term_char = false;
    bool usb488 = false;       // the interface speaks USB488 (READ_STATUS_BYTE and the rest)
    bool ren_control = false;  // REN_CONTROL, GO_TO_LOCAL, LOCAL_LOCKOUT
    bool trigger = false;
    bool service_request = false;  // SR1: raises service requests on interrupt IN
};

// False for a reply too short or not SUCCESS; `caps` is then left unknown.
bool parse_capabilities(std::span<const std::uint8_t> reply, Capabilities* caps);

// READ_STATUS_BYTE's bTag runs 2..127 (1 and the high bit are the notifications' own).
std::uint8_t next_status_tag(std::uint8_t tag);

enum class StatusReplyKind { value, on_interrupt, busy, bad };
struct StatusReply {
    StatusReplyKind kind = StatusReplyKind::bad;
    std::uint8_t status_byte = 0;
};
// The 3-byte control reply of READ_STATUS_BYTE. With an interrupt endpoint the byte comes
// there instead, and the reply only confirms the request.
StatusReply parse_status_byte_reply(std::span<const std::uint8_t> reply, std::uint8_t tag,
                                    bool has_interrupt_in);

enum class NotificationKind { service_request, status_byte, other };
struct Notification {
    NotificationKind kind = NotificationKind::other;
    std::uint8_t tag = 0;          // READ_STATUS_BYTE's bTag, for status_byte
    std::uint8_t status_byte = 0;  // for service_request and status_byte
};
// One interrupt-IN packet. Only 0x81 is a service request; 0x80|bTag answers READ_STATUS_BYTE;
// anything else (vendor notifications, a short packet) is neither.
Notification parse_notification(std::span<const std::uint8_t> packet);

// CHECK_ABORT_BULK_IN_STATUS / CHECK_CLEAR_STATUS replies: the status and whether the device
// still holds bulk-IN data the host must read and drop before asking again.
struct CheckReply {
    bool valid = false;
    std::uint8_t status = 0;
    bool data_pending = false;
};
CheckReply parse_check_abort_in(std::span<const std::uint8_t> reply);
CheckReply parse_check_abort_out(std::span<const std::uint8_t> reply);
CheckReply parse_check_clear(std::span<const std::uint8_t> reply);

}  // namespace hx4x::visa_usbtmc
