#include "instrument/clock.hpp"

#include <chrono>
#include <thread>

namespace hx4x {

namespace {

class SteadyClock : public Clock {
  public:
    std::int64_t now() override {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    std::int64_t frequency() override { return 1'000'000'000; }
    void sleep_for(std::int64_t counts) override {
        if (counts > 0) {
            std::this_thread::sleep_for(std::chrono::nanoseconds(counts));
        }
    }
};

Clock* installed_clock = nullptr;

}  // namespace

Clock& steady_clock() {
    static SteadyClock clock;
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
