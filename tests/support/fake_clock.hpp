#pragma once

#include <cstdint>

#include "instrument/clock.hpp"

namespace hx4x {

// A clock for tests: it moves only when slept on or advanced, so a pause of seconds
// takes no time, and it tells how long the code under test meant to wait.
class FakeClock : public Clock {
  public:
    // Counts per millisecond by default, so counts read as milliseconds.
    explicit FakeClock(std::int64_t frequency = 1000, std::int64_t start = 0)
        : frequency_(frequency), now_(start) {}

    std::int64_t now() override { return now_; }
    std::int64_t frequency() override { return frequency_; }
    void sleep_for(std::int64_t counts) override {
        ++sleep_calls_;
        // A request of nothing still moves the clock, so no caller can wait forever on it.
        const std::int64_t step = counts > 0 ? counts : 1;
        now_ += step;
        slept_ += step;
    }

    void advance(std::int64_t counts) { now_ += counts; }
    void set_now(std::int64_t count) { now_ = count; }

    // Counts slept and sleep calls since construction or reset().
    std::int64_t slept() const { return slept_; }
    std::uint64_t sleep_calls() const { return sleep_calls_; }
    void reset() {
        slept_ = 0;
        sleep_calls_ = 0;
    }

  private:
    std::int64_t frequency_;
    std::int64_t now_;
    std::int64_t slept_ = 0;
    std::uint64_t sleep_calls_ = 0;
};

}  // namespace hx4x
