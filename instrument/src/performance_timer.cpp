#include "instrument/performance_timer.hpp"

#include <limits>

namespace hx4x {

namespace {

constexpr std::int64_t max_count = std::numeric_limits<std::int64_t>::max();

// The counts of a number of milliseconds, rounded up, saturated instead of overflowing.
std::uint64_t counts_for(std::uint32_t milliseconds, std::uint64_t frequency) {
    std::uint64_t product = 0;
    if (__builtin_mul_overflow(static_cast<std::uint64_t>(milliseconds), frequency, &product)) {
        return static_cast<std::uint64_t>(max_count);
    }
    const std::uint64_t counts = product / 1000 + (product % 1000 != 0 ? 1 : 0);
    return counts < static_cast<std::uint64_t>(max_count) ? counts
                                                          : static_cast<std::uint64_t>(max_count);
}

}  // namespace

std::uint64_t elapsed_counts(std::int64_t start, std::int64_t now) {
    if (now >= start) {
        return static_cast<std::uint64_t>(now) - static_cast<std::uint64_t>(start);
    }
    // The counter passed its largest value and began again at 0.
    const std::uint64_t before_wrap = static_cast<std::uint64_t>(max_count - start) + 1;
    const std::uint64_t after_wrap = now > 0 ? static_cast<std::uint64_t>(now) : 0;
    return before_wrap + after_wrap;
}

void PerformanceTimer::start() {
    Clock& clock = current_clock();
    frequency_ = clock.frequency();
    if (frequency_ < 0) {
        frequency_ = 0;
    }
    start_count_ = frequency_ != 0 ? clock.now() : 0;
}

std::uint64_t PerformanceTimer::elapsed_seconds() const {
    if (frequency_ <= 0) {
        return 0;
    }
    return elapsed_counts(start_count_, current_clock().now()) /
           static_cast<std::uint64_t>(frequency_);
}

std::uint64_t wait_ms(std::uint32_t milliseconds) {
    Clock& clock = current_clock();
    const std::int64_t frequency = clock.frequency();
    if (frequency <= 0) {
        return 0;
    }
    const std::int64_t start = clock.now();
    const auto counts_per_second = static_cast<std::uint64_t>(frequency);
    for (;;) {
        std::uint64_t counts = elapsed_counts(start, clock.now());
        // Capped so that the conversion to milliseconds cannot overflow.
        const std::uint64_t cap = static_cast<std::uint64_t>(max_count) / 1000;
        if (counts > cap) {
            counts = cap;
        }
        const std::uint64_t elapsed = counts * 1000 / counts_per_second;
        // At the cap the clock cannot measure any further: stop rather than wait forever.
        if (elapsed >= milliseconds || counts == cap) {
            return elapsed;
        }
        // Sleep toward the deadline; a sleep that ends early is simply repeated.
        const std::uint64_t target = counts_for(milliseconds, counts_per_second);
        const std::uint64_t to_go = target > counts ? target - counts : 1;
        clock.sleep_for(static_cast<std::int64_t>(to_go < cap ? to_go : cap));
    }
}

}  // namespace hx4x
