#include "instrument/fake_clock.hpp"

namespace hx4x {

void FakeClock::sleep_for(std::int64_t counts) {
    ++sleep_calls_;
    // A request of nothing still moves the clock, so no caller can wait forever on it.
    const std::int64_t step = counts > 0 ? counts : 1;
    now_ += step;
    slept_ += step;
}

}  // namespace hx4x
