#pragma once

#include <chrono>
#include <cstdint>

namespace hx4x::visa_sim {

// Steady time plus a virtual offset: with immediate time-outs a wait jumps the clock instead
// of sleeping, so tests run fast and see the same order of events every time.
class SimClock {
  public:
    SimClock() : start_(std::chrono::steady_clock::now()) {}

    void set_real(bool real) { real_ = real; }
    bool real() const { return real_; }
    std::uint64_t now_ms() const;
    // Lets time pass up to `deadline_ms`: sleeps when real, jumps otherwise.
    void pass_until(std::uint64_t deadline_ms);

  private:
    std::chrono::steady_clock::time_point start_;
    std::uint64_t offset_ms_ = 0;
    bool real_ = false;
};

}  // namespace hx4x::visa_sim
