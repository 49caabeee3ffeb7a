#include <algorithm>
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

// Sleeps until `period` milliseconds have passed since `start`: a wait that the library
// answered early (a session lost while the counter restarts) still counts as its full time.
void pace_to(std::int64_t start, std::uint32_t period) {
    const std::uint64_t spent = elapsed_ms_since(start);
    if (spent < period) {
        wait_ms(static_cast<std::uint32_t>(period - spent));
    }
}

bool is_error(visa::ViStatus status) {
    return status < 0;
}

}  // namespace

void CounterProtocol::count_tick(BurnTickCallback callback, void* context) {
    ++burn_ticks_;
    if (callback != nullptr) {
        callback(context, burn_ticks_);
    }
}

void CounterProtocol::pause_with_ticks(std::uint32_t milliseconds, BurnTickCallback callback,
                                       void* context) {
    const std::int64_t start = current_clock().now();
    for (std::uint32_t until = 0; until < milliseconds;) {
        until += std::min(service_request_wait_ms, milliseconds - until);
        pace_to(start, until);
        count_tick(callback, context);
    }
}

void CounterProtocol::begin_burn() {
    burn_ordered_ = false;
    flash_done_ = false;
    burn_ticks_ = 0;
    burn_resource_ = session_.resource_name();
}

void CounterProtocol::note_burn_order() {
    burn_ordered_ = true;
    burn_order_time_ = current_clock().now();
}

bool CounterProtocol::burn_by_polling(BurnTickCallback callback, void* context) {
    begin_burn();
    if (emulation_on()) {
        return true;
    }
    session_.set_timeout(polling_timeout_ms);
    // A write that fails may still have reached the counter: it may be flashing from here on.
    note_burn_order();
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
            // The counter answers the completion query only once the flash is written.
            flash_done_ = true;
            return check_error_queue();
        }
        ++count;
        count_tick(callback, context);
        // A counter that keeps answering without ever completing must not hold us forever.
        if (count >= max_polling_replies) {
            return false;
        }
    }
}

bool CounterProtocol::burn_by_service_request(BurnTickCallback callback, void* context) {
    begin_burn();
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
            const bool arrived = session_.wait_service_request(service_request_wait_ms);
            // The caption already says not to interrupt: the bar must keep moving.
            count_tick(callback, context);
            if (!arrived) {
                break;
            }
        }
    }
    if (usb) {
        if (!send(ProtocolCommand::enable_complete_event)) {
            return false;
        }
        if (emulated) {
            wait_ms(emulated_command_pause_ms);
        } else {
            pause_with_ticks(usb_burn_settle_ms, callback, context);
        }
        note_burn_order();
        if (!send(ProtocolCommand::usb_update) || !send(ProtocolCommand::usb_operation_complete)) {
            return false;
        }
    } else {
        note_burn_order();
        if (!send(ProtocolCommand::update)) {
            return false;
        }
    }

    bool arrived = false;
    // A session the library reports gone (a USB counter restarting) can no longer bring the
    // request; the counter is then looked for afresh about once a second.
    bool lost = false;
    for (int count = 0;;) {
        const std::int64_t wait_start = current_clock().now();
        if (emulated) {
            arrived = count > emulated_service_request_after;
        } else if (!lost) {
            visa::ViStatus status = visa::VI_SUCCESS;
            arrived = session_.wait_service_request(service_request_wait_ms, &status);
            lost = !arrived && is_error(status) && status != visa::VI_ERROR_TMO;
        } else if (count % lost_session_retry_waits == 0) {
            session_.close();
            if (session_.open(burn_resource_)) {
                // Our own earlier look may have found a counter too busy to answer, which it
                // may report as a query error once back: that error is ours, not the flash's.
                if (verify_after_burn(event_status_query_error)) {
                    return true;
                }
                if (flash_done_) {
                    return false;  // restarted, and reports an error
                }
            }
            session_.close();
        }
        if (arrived) {
            break;
        }
        // The bound is about two minutes however fast the library answers.
        if (emulated) {
            wait_ms(emulated_burn_step_ms);
        } else {
            pace_to(wait_start, service_request_wait_ms);
        }
        ++count;
        // The last wait ticks too: the pause before the re-open follows it at once.
        count_tick(callback, context);
        if (count > service_request_max_waits) {
            break;
        }
    }

    // The counter restarts after burning, which ends the old session. Every pause from here
    // on ticks, so that the window keeps moving while the counter comes back.
    session_.close();
    if (!emulated) {
        pause_with_ticks(reopen_pause_ms, callback, context);
    }
    if (!arrived) {
        // No request in about two minutes: only the counter's own event status can tell
        // whether the burn completed.
        if (!session_.open(burn_resource_)) {
            return false;
        }
        return verify_after_burn();
    }
    if (!reopen_after_burn(callback, context)) {
        return false;
    }
    pause_with_ticks(reopen_pause_ms, callback, context);
    return verify_after_burn();
}

bool CounterProtocol::reopen_after_burn(BurnTickCallback callback, void* context) {
    // The counter needs a while to come back on the bus; keep trying for about a minute.
    const std::int64_t start = current_clock().now();
    constexpr std::uint32_t max_attempts = reopen_budget_ms / reopen_retry_pause_ms;
    for (std::uint32_t attempt = 1;; ++attempt) {
        if (session_.open(burn_resource_)) {
            return true;
        }
        if (attempt >= max_attempts || elapsed_ms_since(start) >= reopen_budget_ms) {
            return false;
        }
        pause_with_ticks(reopen_retry_pause_ms, callback, context);
    }
}

bool CounterProtocol::read_event_status(unsigned& status) {
    session_.set_timeout(final_query_timeout_ms);
    std::array<char, reply_capacity + 1> reply{};
    if (!send(ProtocolCommand::event_status_query) ||
        !session_.read(reply.data(), static_cast<int>(reply_capacity)) ||
        !send(ProtocolCommand::disable_events)) {
        return false;
    }
    if (emulation_on()) {
        status = emulated_event_status;
        return true;
    }
    if (reply[0] == '\0') {
        return false;
    }
    status = event_status_from_reply(reply.data());
    return true;
}

bool CounterProtocol::verify_after_burn(unsigned ignored_errors) {
    if (!session_.is_open()) {
        return false;
    }
    unsigned status = 0;
    if (!read_event_status(status)) {
        return false;
    }
    // Only the power-on bit shows that the counter restarted after burning. A request that
    // came without it was stale or spurious: the counter may still be flashing, and an empty
    // error queue alone would report a success that did not happen.
    if ((status & event_status_power_on) == 0) {
        return false;
    }
    flash_done_ = true;
    if ((status & event_status_mask & ~ignored_errors) == event_status_power_on) {
        return true;
    }
    if (emulation_on()) {
        return false;
    }
    return check_error_queue();
}

bool CounterProtocol::counter_answers_after_burn() {
    if (!session_.is_open() && !session_.open(burn_resource_)) {
        return false;
    }
    session_.set_timeout(connected_timeout_ms);
    if (!identify()) {
        session_.close();
        return false;
    }
    if (flash_done_) {
        return true;
    }
    // It answers, but only its power-on event shows that it is no longer flashing.
    unsigned status = 0;
    if (!read_event_status(status)) {
        session_.close();
        return false;
    }
    flash_done_ = (status & event_status_power_on) != 0;
    return flash_done_;
}

bool CounterProtocol::wait_until_back(BurnTickCallback callback, void* context) {
    if (!burn_ordered_ || emulation_on()) {
        return session_.is_open();
    }
    for (;;) {
        const std::int64_t attempt_start = current_clock().now();
        if (counter_answers_after_burn()) {
            return true;
        }
        if (elapsed_ms_since(burn_order_time_) >= burn_bound_ms) {
            return false;
        }
        // The bar goes on moving between the attempts.
        for (std::uint32_t slice = 1; slice <= back_attempt_pause_ms / service_request_wait_ms;
             ++slice) {
            pace_to(attempt_start, slice * service_request_wait_ms);
            count_tick(callback, context);
        }
    }
}

}  // namespace hx4x
