#include <array>
#include <string>

#include "app/emulated_version.hpp"
#include "instrument/clock.hpp"
#include "instrument/performance_timer.hpp"
#include "update/counter_protocol.hpp"
#include "update/protocol_timing.hpp"
#include "update/reply_parsing.hpp"

namespace hx4x {

namespace {

void call_tick(BurnTickCallback tick, void* context, int count) {
    if (tick != nullptr) {
        tick(context, count);
    }
}

std::uint64_t elapsed_ms_since(std::int64_t start) {
    Clock& clock = current_clock();
    const std::int64_t frequency = clock.frequency();
    if (frequency <= 0) {
        return 0;
    }
    const std::uint64_t counts = elapsed_counts(start, clock.now());
    // Split so that counts * 1000 cannot overflow.
    const auto f = static_cast<std::uint64_t>(frequency);
    return counts / f * 1000u + counts % f * 1000u / f;
}

}  // namespace

bool CounterProtocol::burn_by_polling(BurnTickCallback tick, void* context) {
    if (emulation_on()) {
        return true;
    }
    session_.set_timeout(polling_timeout_ms);
    if (!send(ProtocolCommand::polling_update) || !send(ProtocolCommand::polling_complete_query)) {
        return false;
    }
    std::array<char, reply_capacity + 1> reply{};
    for (int count = 0;;) {
        std::uint32_t received = 0;
        if (!session_.read(reply.data(), static_cast<int>(reply_capacity), &received)) {
            return false;
        }
        if (received >= 1 && reply[0] == '1') {
            return check_error_queue();
        }
        ++count;
        call_tick(tick, context, count);
        // A counter that keeps answering without ever completing must not hold us forever.
        if (count >= max_polling_replies) {
            return false;
        }
    }
}

bool CounterProtocol::burn_by_service_request(BurnTickCallback tick, void* context) {
    const bool emulated = emulation_on();
    const bool usb = session_.is_usb();

    // On GPIB the request is raised by power on (event status bit 7), on USB by operation
    // complete (bit 0).
    if (!usb && !send(ProtocolCommand::enable_power_on_event)) {
        return false;
    }
    if (!send(ProtocolCommand::clear_status)) {
        return false;
    }
    session_.set_timeout(service_request_timeout_ms);
    if (!emulated) {
        // Old requests would end the wait below at once; a bus that keeps raising them is
        // drained only so far.
        for (int drained = 0; drained < max_drained_requests; ++drained) {
            session_.enable_service_request();
            if (!session_.wait_service_request(service_request_wait_ms)) {
                break;
            }
        }
    }
    if (usb) {
        if (!send(ProtocolCommand::enable_complete_event)) {
            return false;
        }
        wait_ms(emulated ? emulated_command_pause_ms : usb_burn_settle_ms);
        if (!send(ProtocolCommand::usb_update) || !send(ProtocolCommand::usb_operation_complete)) {
            return false;
        }
    } else if (!send(ProtocolCommand::update)) {
        return false;
    }

    bool arrived = false;
    for (int count = 0;;) {
        arrived = emulated ? count > emulated_service_request_after
                           : session_.wait_service_request(service_request_wait_ms);
        if (arrived) {
            break;
        }
        ++count;
        if (count > service_request_max_waits) {
            break;
        }
        if (emulated) {
            wait_ms(emulated_burn_step_ms);
        }
        call_tick(tick, context, count);
    }

    // The counter restarts after burning, which ends the old session.
    const std::string resource_name = session_.resource_name();
    session_.close();
    if (!emulated) {
        wait_ms(reopen_pause_ms);
    }
    if (!arrived) {
        // No request in about two minutes: only the counter's own event status can tell
        // whether the burn completed.
        if (!session_.open(resource_name)) {
            return false;
        }
        return verify_after_burn(true);
    }
    if (!reopen_after_burn(resource_name)) {
        return false;
    }
    wait_ms(reopen_pause_ms);
    return verify_after_burn(false);
}

bool CounterProtocol::reopen_after_burn(const std::string& resource_name) {
    // The counter needs a while to come back on the bus; keep trying for about a minute.
    const std::int64_t start = current_clock().now();
    constexpr std::uint32_t max_attempts = reopen_budget_ms / reopen_retry_pause_ms;
    for (std::uint32_t attempt = 1;; ++attempt) {
        if (session_.open(resource_name)) {
            return true;
        }
        if (attempt >= max_attempts || elapsed_ms_since(start) >= reopen_budget_ms) {
            return false;
        }
        wait_ms(reopen_retry_pause_ms);
    }
}

bool CounterProtocol::verify_after_burn(bool restart_required) {
    if (!session_.is_open()) {
        return false;
    }
    session_.set_timeout(final_query_timeout_ms);
    std::array<char, reply_capacity + 1> reply{};
    if (!send(ProtocolCommand::event_status_query) ||
        !session_.read(reply.data(), static_cast<int>(reply_capacity)) ||
        !send(ProtocolCommand::disable_events)) {
        return false;
    }
    unsigned status = emulated_event_status;
    if (!emulation_on()) {
        if (reply[0] == '\0') {
            return false;
        }
        status = event_status_from_reply(reply.data());
    }
    if ((status & event_status_mask) == event_status_power_on) {
        return true;
    }
    if (emulation_on()) {
        return false;
    }
    // Without a request only the power-on bit shows that the counter restarted after
    // burning; an empty error queue alone would pass a counter still busy or never told.
    if (restart_required && (status & event_status_power_on) == 0) {
        return false;
    }
    return check_error_queue();
}

}  // namespace hx4x
