#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "visa-sim/visa_simulator.hpp"

namespace hx4x::usbtmc_emulator {

// One simulated counter seen through a session of the in-process simulator, with immediate
// time-outs: the device side never waits inside the simulator, it asks again when time has
// passed. Not thread-safe; the caller serialises.
class CounterLink {
  public:
    CounterLink(visa_sim::VisaSimulator& simulator, visa::ViSession rm, std::string resource);
    ~CounterLink();
    CounterLink(const CounterLink&) = delete;
    CounterLink& operator=(const CounterLink&) = delete;

    const std::string& resource() const { return resource_; }
    // Opens a session (with service requests enabled); false while the counter is off the bus.
    bool open();
    void close();
    bool is_open() const { return session_ != 0; }
    // False once the simulator reported the session lost; the device then leaves the bus.
    bool lost() const { return lost_; }
    // The counter restarted (a flash completed) since the session opened: a USB device
    // leaves the bus then and enumerates again.
    bool restarted() const;

    void write(const std::string& message);

    enum class ReadOutcome { data, later, nothing, lost };
    struct ReadResult {
        ReadOutcome outcome = ReadOutcome::nothing;
        std::string data;
        bool complete = false;
    };
    // Up to `max` bytes of the reply. `later`: a reply is on its way (an *OPC? during a burn)
    // or the counter does not answer for now; `nothing`: no reply is coming (the counter
    // queued its "Query UNTERMINATED", as a device does when read with nothing to say).
    ReadResult read(std::uint32_t max);
    // Drops whatever unread reply the counter holds, as a device clear does.
    void discard_reply();
    // Serial poll (clears the request flag); empty when the counter does not answer.
    std::optional<std::uint8_t> serial_poll();
    // Service requests the counter raised since the last call.
    std::uint32_t take_service_requests();
    void remote_enable(bool on);
    // The next moment the counter changes by itself, in the simulator's milliseconds.
    std::optional<std::uint64_t> next_change_ms() const;
    std::string idn() const;

  private:
    void note(visa::ViStatus status);

    visa_sim::VisaSimulator& simulator_;
    visa::ViSession rm_;
    std::string resource_;
    visa::ViSession session_ = 0;
    bool lost_ = false;
    std::uint32_t restarts_at_open_ = 0;
};

}  // namespace hx4x::usbtmc_emulator
