// The simulator's side of its counters: holding one for a call (with its state file when it
// has one), bringing it up to the clock, handing its service requests to the sessions, and
// letting time pass while a call waits on it.
#include <algorithm>

#include "visa-sim/visa_simulator.hpp"

namespace hx4x::visa_sim {

VisaSimulator::Hold::Hold(VisaSimulator& simulator, std::size_t counter)
    : simulator_(simulator), counter_(counter) {
    if (simulator_.counters_[counter_].holds++ == 0) {
        simulator_.sync_in(counter_);
    }
    simulator_.pump(counter_);
}

VisaSimulator::Hold::~Hold() {
    if (--simulator_.counters_[counter_].holds == 0) {
        simulator_.sync_out(counter_);
    }
}

void VisaSimulator::sync_in(std::size_t index) {
    Counter& c = counters_[index];
    if (!c.shared) {
        return;
    }
    c.shared->attach(c.model, clock_, c.config);
    if (!c.seen_state) {
        // What the counter did before this process first looked is no news to it.
        c.seen_state = true;
        c.requests_seen = c.model.service_requests();
        c.reboots_seen = c.model.reboots();
    }
}

void VisaSimulator::sync_out(std::size_t index) {
    Counter& c = counters_[index];
    if (c.shared) {
        c.shared->detach(c.model, clock_, own_sessions(index));
    }
}

std::uint32_t VisaSimulator::own_sessions(std::size_t index) const {
    std::uint32_t count = 0;
    for (const auto& entry : objects_) {
        const auto* s = std::get_if<Session>(&entry.second);
        count += s != nullptr && s->counter == index ? 1u : 0u;
    }
    return count;
}

bool VisaSimulator::visible(const Counter& c) const {
    return c.on_bus && !(c.config.burn_answer == BurnAnswer::drop && c.model.flashing());
}

bool VisaSimulator::lost(const Session& session) const {
    const Counter& c = counters_[session.counter];
    return c.config.burn_answer == BurnAnswer::drop &&
           c.model.burn_orders() > session.orders_at_open;
}

// Brings the counter up to the clock and hands raised service requests to the sessions.
void VisaSimulator::pump(std::size_t index) {
    Counter& c = counters_[index];
    c.model.advance(clock_.now_ms());
    if (c.model.reboots() != c.reboots_seen) {
        c.reboots_seen = c.model.reboots();
        c.reopen_refusals = c.config.refuse_reopen;
    }
    const std::uint32_t total = c.model.service_requests();
    const std::uint32_t requests = total >= c.requests_seen ? total - c.requests_seen : 0;
    c.requests_seen = total;
    if (requests == 0 || !c.on_bus) {
        return;
    }
    for (auto& [handle, object] : objects_) {
        auto* s = std::get_if<Session>(&object);
        if (s == nullptr || s->counter != index || !s->srq_enabled || lost(*s)) {
            continue;
        }
        for (std::uint32_t i = 0; i < requests && s->events.size() < event_queue_length; ++i) {
            s->events.push_back(VI_EVENT_SERVICE_REQ);
        }
    }
}

std::uint64_t VisaSimulator::deadline_ms(ViUInt32 timeout_ms) const {
    const ViUInt32 wait =
        timeout_ms == VI_TMO_INFINITE ? longest_wait_ms : std::min(timeout_ms, longest_wait_ms);
    return clock_.now_ms() + wait;
}

void VisaSimulator::pass_time(std::size_t index, std::uint64_t until) {
    // Other processes may use the counter while this one waits.
    const bool held = counters_[index].holds > 0;
    if (held) {
        sync_out(index);
    }
    clock_.pass_until(until);
    if (held) {
        sync_in(index);
    }
    pump(index);
}

bool VisaSimulator::wait_until(std::size_t index, std::uint64_t deadline,
                               const std::function<bool()>& done) {
    for (;;) {
        if (done()) {
            return true;
        }
        const std::uint64_t now = clock_.now_ms();
        if (now >= deadline) {
            return false;
        }
        std::uint64_t until = deadline;
        const Counter& c = counters_[index];
        const auto next = c.model.next_change_ms();
        if (next && *next < until) {
            until = std::max(*next, now + 1);
        }
        if (c.shared && clock_.real()) {
            until = std::min(until, now + shared_poll_ms);
        }
        pass_time(index, until);
    }
}

}  // namespace hx4x::visa_sim
