#pragma once

#include <chrono>
#include <cstdint>

namespace hx4x::visa_sim {

// Wall-clock milliseconds (since 1970, read once at the start and then carried on by the
// steady clock, so the time never runs backwards) plus a virtual offset: with immediate
// time-outs a wait jumps the clock instead of sleeping, so tests run fast and see the same
// order of events every time. Processes that share a counter's state file share the offset
// too, so a time stored by one is read alike by the others.
class SimClock {
  public:
    SimClock();

    // How a real wait sleeps; the library's entry points give up their lock meanwhile, so
    // that a process updating several counters at once is not held up by one counter's wait.
    using Sleeper = void (*)(std::chrono::milliseconds);
    static void set_sleeper(Sleeper sleeper);

    void set_real(bool real) { real_ = real; }
    bool real() const { return real_; }
    std::uint64_t now_ms() const;
    // Lets time pass up to `deadline_ms`: sleeps when real, jumps otherwise.
    void pass_until(std::uint64_t deadline_ms);

    std::uint64_t offset_ms() const { return offset_ms_; }
    // Another process's clock got further ahead: take its offset (time never goes back).
    void raise_offset_to(std::uint64_t offset_ms);

  private:
    std::chrono::steady_clock::time_point start_;
    std::uint64_t start_wall_ms_ = 0;
    std::uint64_t offset_ms_ = 0;
    bool real_ = false;
};

}  // namespace hx4x::visa_sim
