#pragma once

#include <cstdint>

namespace hx4x {

// Firmware versions (times 100) at which the protocol changes.
inline constexpr int polling_burn_up_to_version = 100;     // up to here: polling burn
inline constexpr int wide_blocks_from_version = 107;       // from here: two-byte length field
inline constexpr int full_preparation_from_version = 111;  // from here: the long preparation;
                                                           // below: USB I/O delay, late pause

// Time-outs and pauses, in milliseconds.
inline constexpr std::uint32_t connected_timeout_ms = 1000;
inline constexpr std::uint32_t usb_io_delay_ms = 200;
inline constexpr std::uint32_t preparation_step_ms = 100;
inline constexpr std::uint32_t preparation_final_ms = 1000;
inline constexpr std::uint32_t preparation_total_steps = 23;
inline constexpr std::uint32_t preparation_save_steps = 20;
inline constexpr std::uint32_t transfer_timeout_ms = 10000;
inline constexpr std::uint32_t late_command_count = 635;     // from this data command on ...
inline constexpr std::uint32_t late_command_pause_ms = 300;  // ... pause this long (below 111)
inline constexpr std::uint32_t emulated_command_pause_ms = 1;
inline constexpr int block_attempts = 3;
inline constexpr std::uint32_t polling_timeout_ms = 1000;
inline constexpr std::uint32_t service_request_timeout_ms = 100;
inline constexpr std::uint32_t service_request_wait_ms = 100;
inline constexpr int service_request_max_waits = 1200;      // the burn gives up past this
inline constexpr int emulated_service_request_after = 500;  // emulated request past this
inline constexpr std::uint32_t emulated_burn_step_ms = 2;
inline constexpr std::uint32_t usb_burn_settle_ms = 1000;
inline constexpr std::uint32_t reopen_pause_ms = 1000;
inline constexpr std::uint32_t final_query_timeout_ms = 1000;
inline constexpr std::uint32_t reply_capacity = 4096;

// Bounds on loops the counter could otherwise keep going.
inline constexpr std::uint32_t reopen_retry_pause_ms = 100;
inline constexpr std::uint32_t reopen_budget_ms = 60000;
inline constexpr int max_drained_requests = 100;
inline constexpr int max_polling_replies = 1200;
// The burn's bound in time: its waits are paced, so that a library that answers at once (a
// session lost while the counter restarts) cannot end it early.
inline constexpr std::uint32_t burn_bound_ms =
    static_cast<std::uint32_t>(service_request_max_waits) * service_request_wait_ms;
// With the session lost, the counter is looked for once in this many waits.
inline constexpr int lost_session_retry_waits = 10;
// After a failed burn, between two attempts to reach the counter again.
inline constexpr std::uint32_t back_attempt_pause_ms = 1000;

// Event status: power on set, command, execution, device-dependent and query errors clear.
inline constexpr unsigned event_status_mask = 0xBC;
inline constexpr unsigned event_status_power_on = 0x80;
inline constexpr unsigned event_status_query_error = 0x04;
inline constexpr unsigned emulated_event_status = 128;

}  // namespace hx4x
