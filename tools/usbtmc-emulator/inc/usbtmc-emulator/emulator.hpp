#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "usbtmc-emulator/counter_link.hpp"
#include "usbtmc-emulator/fault_plan.hpp"
#include "usbtmc-emulator/trace.hpp"
#include "usbtmc-emulator/usbfs_device.hpp"
#include "usbtmc-emulator/usbtmc_function.hpp"
#include "visa-sim/visa_simulator.hpp"

typedef struct _UMockdevTestbed UMockdevTestbed;

namespace hx4x::usbtmc_emulator {

struct Options {
    std::string config;  // empty: HX4X_VISA_SIM_CONFIG as it is
    std::vector<Fault> faults;
    std::string trace;
    // Every device comes with the kernel's usbtmc driver bound to its interface.
    bool kernel_driver = false;
    std::vector<std::string> command;
};

// Parses the command line; false with a message in `error`.
bool parse_options(int argc, char** argv, Options* options, std::string* error);

// The testbed with one emulated USB488 device per USB counter of the simulation, the
// simulator behind them, and the child program that uses them.
class Emulator {
  public:
    explicit Emulator(Options options);
    ~Emulator();
    Emulator(const Emulator&) = delete;
    Emulator& operator=(const Emulator&) = delete;

    // Sets everything up, runs the child and serves it until it ends; the exit status.
    int run();

  private:
    // One appearance of a counter on the bus; kept after it leaves, so that clients still
    // holding its node get "no device" rather than nothing.
    struct Incarnation {
        std::unique_ptr<UsbtmcFunction> function;
        std::unique_ptr<UsbfsDevice> device;
        std::string syspath;
    };
    struct Slot {
        DeviceIdentity identity;
        std::string state_path;
        std::unique_ptr<CounterLink> link;
        Incarnation* current = nullptr;
        bool unplugged = false;             // by a fault: it does not come back
        std::uint64_t restart_seen_ms = 0;  // the counter restarted; the device leaves soon
        bool plugged_before = false;        // faults are planned for the first device only
    };

    bool set_up(std::string* error);
    bool plug(Slot& slot, std::size_t port, std::string* error);
    void unplug(Slot& slot);
    // On the main thread: devices that left go off the testbed, counters that came back go on,
    // and the timer is set for the next moment something can change.
    void service();
    void schedule(unsigned delay_ms);
    void kick();
    static int on_kick(void* self);
    static int on_timer(void* self);

    Options options_;
    std::mutex lock_;
    Trace trace_;
    ReapStats stats_;
    visa_sim::VisaSimulator simulator_;
    visa::ViSession rm_ = 0;
    UMockdevTestbed* testbed_ = nullptr;
    std::vector<Slot> slots_;
    std::vector<std::unique_ptr<Incarnation>> incarnations_;
    unsigned next_devnum_ = 2;
    std::atomic<bool> kick_pending_{false};
    unsigned timer_ = 0;
    bool failed_ = false;
};

}  // namespace hx4x::usbtmc_emulator
