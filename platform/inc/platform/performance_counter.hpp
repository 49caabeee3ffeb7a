#pragma once

#include <cstdint>

namespace hx4x::platform {

// The system's high-resolution counter, which only grows: QueryPerformanceCounter and
// QueryPerformanceFrequency on Windows, the monotonic clock in nanoseconds elsewhere.
std::int64_t performance_count();

// Counts per second; 0 when the system has no such counter.
std::int64_t performance_frequency();

}  // namespace hx4x::platform
