#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "usbtmc-emulator/counter_link.hpp"
#include "usbtmc-emulator/descriptors.hpp"
#include "usbtmc-emulator/fault_plan.hpp"
#include "usbtmc-emulator/trace.hpp"

namespace hx4x::usbtmc_emulator {

struct ControlSetup {
    std::uint8_t request_type = 0;
    std::uint8_t request = 0;
    std::uint16_t value = 0;
    std::uint16_t index = 0;
    std::uint16_t length = 0;
};

// The device behind the endpoints: standard requests, the USBTMC and USB488 class requests,
// the bulk message protocol and the interrupt notifications, over one simulated counter.
// Everything the host sends is checked; what a device would refuse stalls. No threads, no
// USB file system here: the caller hands URB contents in and takes replies out.
class UsbtmcFunction {
  public:
    UsbtmcFunction(CounterLink& link, DeviceIdentity identity, std::vector<Fault> faults,
                   Trace& trace, std::string trace_name);

    // A control request; false stalls it. `in` gets at most setup.length bytes.
    bool control(const ControlSetup& setup, const std::vector<std::uint8_t>& out,
                 std::vector<std::uint8_t>* in);

    // A bulk-OUT URB: 0, -EPIPE (halted) or -ENODEV (the device vanished).
    int bulk_out(const std::uint8_t* data, std::size_t length);

    // What becomes of a new bulk-IN URB by the fault plan.
    enum class InPlan { normal, stall, withhold };
    InPlan bulk_in_submitted();
    enum class InStatus { ready, wait, stall, overflow };
    // Fills a waiting bulk-IN URB of `capacity` bytes when the reply is there.
    InStatus take_bulk_in(std::size_t capacity, std::string* data);
    // The next interrupt-IN notification, when one waits.
    std::optional<std::array<std::uint8_t, 2>> take_notification();

    bool halted(std::uint8_t endpoint) const;
    void clear_halt(std::uint8_t endpoint);
    // Bus reset: halts, partial messages and requests go.
    void reset();
    // Turns service requests the counter raised meanwhile into notifications.
    void collect_service_requests();
    // True once the device left the bus (an unplug fault or the counter dropped off).
    bool gone() const { return unplugged_ || link_.lost(); }
    // Unplugged by a fault: unlike a counter that dropped off, it does not come back.
    bool unplugged() const { return unplugged_; }
    // A bulk-IN request waits for a reply that may come with time.
    bool waiting_for_reply() const { return request_.has_value() && !request_->nothing; }

    // The kernel's usbtmc driver on the interface, as a machine with that module loaded has
    // it: it holds the interface until a client detaches it, and takes it back on request.
    void bind_kernel_driver_at_plug() { kernel_driver_ = true; }
    bool kernel_driver() const { return kernel_driver_; }
    void detach_kernel_driver();
    void attach_kernel_driver();

  private:
    struct InRequest {
        std::uint8_t tag = 0;
        std::uint32_t max = 0;
        bool nothing = false;  // read once, no reply coming: not read again
    };

    bool standard_request(const ControlSetup& setup, std::vector<std::uint8_t>* in);
    bool class_request(const ControlSetup& setup, std::vector<std::uint8_t>* in);
    int halt_out(const std::string& why);
    bool fault_hits(Fault::Kind kind, Fault::Where where, std::uint32_t count) const;
    void log(const std::string& text) { trace_.line(trace_name_, text); }

    CounterLink& link_;
    DeviceIdentity identity_;
    std::vector<Fault> faults_;
    Trace& trace_;
    std::string trace_name_;

    bool unplugged_ = false;
    bool kernel_driver_ = false;
    bool out_halted_ = false;
    bool in_halted_ = false;
    bool interrupt_halted_ = false;
    std::string message_;  // a message still without its end (EOM)
    std::uint8_t last_out_tag_ = 0;
    std::uint32_t out_bytes_ = 0;
    std::optional<InRequest> request_;
    std::uint8_t in_transfer_tag_ = 0;  // a reply was asked for and not fully sent
    bool owe_short_packet_ = false;     // an aborted bulk-IN transfer ends with a short packet
    std::uint32_t in_bytes_ = 0;
    std::deque<std::array<std::uint8_t, 2>> notifications_;
    std::uint32_t bulk_in_urbs_ = 0;
    std::uint32_t bulk_out_urbs_ = 0;
    std::vector<std::uint32_t> command_matches_;
};

}  // namespace hx4x::usbtmc_emulator
