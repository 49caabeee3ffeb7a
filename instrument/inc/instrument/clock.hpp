#pragma once

#include <cstdint>

namespace hx4x {

// The time source behind PerformanceTimer and wait_ms: a count that only grows and its
// rate. Tests install a fake so that pauses cost nothing.
class Clock {
  public:
    virtual ~Clock() = default;
    // The current count.
    virtual std::int64_t now() = 0;
    // Counts per second; 0 when there is no usable counter.
    virtual std::int64_t frequency() = 0;
    // Blocks the calling thread for about this many counts (never pumps messages).
    // Must let now() advance, or wait_ms would never end.
    virtual void sleep_for(std::int64_t counts) = 0;
};

// The system's high-resolution performance counter.
Clock& steady_clock();

// The clock in use: the steady clock unless one was installed.
Clock& current_clock();

// Installs a clock (null restores the steady clock) and returns the one it replaces.
Clock* set_clock(Clock* clock);

// Installs a clock for the life of the object and puts the previous one back after.
class ScopedClock {
  public:
    explicit ScopedClock(Clock& clock) : previous_(set_clock(&clock)) {}
    ~ScopedClock() { set_clock(previous_); }
    ScopedClock(const ScopedClock&) = delete;
    ScopedClock& operator=(const ScopedClock&) = delete;

  private:
    Clock* previous_;
};

}  // namespace hx4x
