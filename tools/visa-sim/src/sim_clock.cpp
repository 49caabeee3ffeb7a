#include "visa-sim/sim_clock.hpp"

#include <atomic>
#include <thread>

namespace hx4x::visa_sim {

namespace {

void plain_sleep(std::chrono::milliseconds time) {
    std::this_thread::sleep_for(time);
}

std::atomic<SimClock::Sleeper> sleeper{plain_sleep};

}  // namespace

void SimClock::set_sleeper(Sleeper chosen) {
    sleeper = chosen != nullptr ? chosen : plain_sleep;
}

SimClock::SimClock() : start_(std::chrono::steady_clock::now()) {
    const auto wall = std::chrono::system_clock::now().time_since_epoch();
    start_wall_ms_ = static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(wall).count());
}

std::uint64_t SimClock::now_ms() const {
    const auto elapsed = std::chrono::steady_clock::now() - start_;
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
    return start_wall_ms_ + static_cast<std::uint64_t>(ms) + offset_ms_;
}

void SimClock::raise_offset_to(std::uint64_t offset_ms) {
    if (offset_ms > offset_ms_) {
        offset_ms_ = offset_ms;
    }
}

void SimClock::pass_until(std::uint64_t deadline_ms) {
    const std::uint64_t now = now_ms();
    if (deadline_ms <= now) {
        return;
    }
    if (real_) {
        sleeper.load()(std::chrono::milliseconds(deadline_ms - now));
        // A sleep may end early; whatever is left is made up virtually so the deadline holds.
        const std::uint64_t after = now_ms();
        if (after < deadline_ms) {
            offset_ms_ += deadline_ms - after;
        }
        return;
    }
    offset_ms_ += deadline_ms - now;
}

}  // namespace hx4x::visa_sim
