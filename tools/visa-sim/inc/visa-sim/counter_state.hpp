#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "visa-sim/error_queue.hpp"

namespace hx4x::visa_sim {

// What a counter itself keeps, as opposed to what a process keeps about it (sessions, the
// unread reply of a query): the part a state file shares between processes. The received
// image is kept apart, as a block log, because it grows with every data block.
struct CounterState {
    std::string idn;
    bool firmware_mode = false;

    // A flash in progress: when it was ordered and when it ends, in clock milliseconds.
    std::optional<std::uint64_t> burn_due_ms;
    std::uint64_t burn_ordered_ms = 0;
    bool early_request_raised = false;
    bool flash_ruined = false;  // a reset reached the running flash
    bool bricked = false;       // the ruined flash has ended: the counter never answers again

    ErrorQueue errors;
    std::uint8_t esr = 0x80;  // power on
    std::uint8_t ese = 0;
    std::uint8_t sre = 0;
    bool power_on_clear = false;
    bool opc_armed = false;
    bool request_condition = false;
    bool request_flag = false;

    // Running totals: requests raised (the early one included), reboots and accepted burn
    // orders since the counter was powered.
    std::uint32_t service_requests = 0;
    std::uint32_t reboots = 0;
    std::uint32_t burn_orders = 0;

    // Block numbering for `reject_block`: a data command equal to the previous one (same
    // size and hash) is another attempt at the same block.
    std::uint32_t block_number = 0;
    std::uint32_t block_attempt = 0;
    std::uint64_t last_block_size = 0;
    std::uint64_t last_block_hash = 0;
};

}  // namespace hx4x::visa_sim
