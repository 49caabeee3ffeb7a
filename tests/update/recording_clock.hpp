#pragma once

#include <cstdint>
#include <vector>

#include "fake_clock.hpp"
#include "instrument/clock.hpp"

namespace hx4x::test {

// A fake clock in milliseconds that keeps every pause asked of it, in order, and installs
// itself for the life of the object.
class RecordingClock : public FakeClock {
  public:
    RecordingClock() : scoped_(*this) {}

    void sleep_for(std::int64_t counts) override {
        pauses.push_back(counts);
        FakeClock::sleep_for(counts);
    }

    std::vector<std::int64_t> pauses;

  private:
    ScopedClock scoped_;
};

}  // namespace hx4x::test
