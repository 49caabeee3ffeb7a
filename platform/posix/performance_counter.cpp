#include "platform/performance_counter.hpp"

#include <time.h>

namespace hx4x::platform {

namespace {

constexpr std::int64_t nanoseconds_per_second = 1'000'000'000;

}  // namespace

std::int64_t performance_count() {
    timespec now{};
    if (clock_gettime(CLOCK_MONOTONIC, &now) != 0) {
        return 0;
    }
    return static_cast<std::int64_t>(now.tv_sec) * nanoseconds_per_second + now.tv_nsec;
}

std::int64_t performance_frequency() {
    timespec now{};
    return clock_gettime(CLOCK_MONOTONIC, &now) == 0 ? nanoseconds_per_second : 0;
}

}  // namespace hx4x::platform
