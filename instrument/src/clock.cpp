#include "instrument/clock.hpp"

#include <chrono>
#include <thread>

#include "platform/performance_counter.hpp"

namespace hx4x {

namespace {

// The system's performance counter; pauses sleep for the time they stand for.
class SystemClock : public Clock {
  public:
    std::int64_t now() override { return platform::performance_count(); }
    std::int64_t frequency() override { return platform::performance_frequency(); }
    void sleep_for(std::int64_t counts) override {
        const std::int64_t rate = frequency();
        if (counts > 0 && rate > 0) {
            // Whole seconds first, so that the conversion never overflows.
            const std::int64_t seconds = counts / rate;
            const std::int64_t rest = counts % rate;
            std::this_thread::sleep_for(std::chrono::seconds(seconds) +
                                        std::chrono::nanoseconds(rest * 1'000'000'000 / rate));
        }
    }
};

Clock* installed_clock = nullptr;

}  // namespace

Clock& steady_clock() {
    static SystemClock clock;
    return clock;
}

Clock& current_clock() {
    return installed_clock != nullptr ? *installed_clock : steady_clock();
}

Clock* set_clock(Clock* clock) {
    Clock* previous = &current_clock();
    installed_clock = clock;
    return previous;
}

}  // namespace hx4x
