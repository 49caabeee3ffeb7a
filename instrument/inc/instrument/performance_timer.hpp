#pragma once

#include <cstdint>

#include "instrument/clock.hpp"

namespace hx4x {

// The stopwatch for the durations reported to the operator, on the current clock.
class PerformanceTimer {
  public:
    // Reads the frequency and, when it is not 0, the current count.
    void start();
    // Whole seconds since start (truncated); 0 without a frequency. A count below the
    // start count is taken as a counter that wrapped past the largest signed value.
    std::uint64_t elapsed_seconds() const;

    std::int64_t start_count() const { return start_count_; }
    std::int64_t frequency() const { return frequency_; }

  private:
    std::int64_t start_count_ = 0;
    std::int64_t frequency_ = 0;
};

// Counts from start to now under the wrap rule of PerformanceTimer.
std::uint64_t elapsed_counts(std::int64_t start, std::int64_t now);

// Holds the calling thread for the given milliseconds without pumping any messages,
// sleeping toward the deadline, and returns the milliseconds that really passed.
// Returns 0 at once when the clock has no frequency.
std::uint64_t wait_ms(std::uint32_t milliseconds);

}  // namespace hx4x
