#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <list>
#include <mutex>
#include <string>

#include "usbtmc-emulator/usbtmc_function.hpp"

typedef struct _UMockdevTestbed UMockdevTestbed;
typedef struct _UMockdevIoctlBase UMockdevIoctlBase;
typedef struct _UMockdevIoctlClient UMockdevIoctlClient;
typedef struct _UMockdevIoctlData UMockdevIoctlData;

namespace hx4x::usbtmc_emulator {

// Counts of the reap calls, for the idle wake-up figure.
struct ReapStats {
    std::uint64_t reaps = 0;
    std::uint64_t empty_reaps = 0;
};

// One emulated device node (/dev/bus/usb/BBB/DDD): answers the usbfs ioctls of the clients
// that open it, keeps their URBs until the function has an answer, and keeps the node (a
// FIFO) ready for poll() exactly while a completed URB waits to be reaped.
// The ioctls arrive on the testbed's worker thread; every entry point takes `lock`.
class UsbfsDevice {
  public:
    UsbfsDevice(std::mutex& lock, UsbtmcFunction& function, std::string devnode,
                std::string node_path, ReapStats& stats, std::function<void()> changed);
    ~UsbfsDevice();
    UsbfsDevice(const UsbfsDevice&) = delete;
    UsbfsDevice& operator=(const UsbfsDevice&) = delete;

    // Replaces the node file by the FIFO and attaches the ioctl handler; false with `error`.
    bool attach(UMockdevTestbed* testbed, std::string* error);
    // Serves waiting URBs from what the function has now; the caller holds the lock.
    void serve();
    // The device left the bus: pending URBs complete -ENODEV, every later ioctl fails.
    void vanish();
    bool vanished() const { return vanished_; }
    // A URB waits for something only time can bring (a reply, a service request).
    bool waiting() const;
    // Completed URBs wait to be reaped (a last notification, say).
    bool unreaped() const { return !completed_.empty(); }
    const std::string& devnode() const { return devnode_; }

  private:
    struct Urb {
        UMockdevIoctlClient* client = nullptr;
        UMockdevIoctlData* urb = nullptr;
        UMockdevIoctlData* buffer = nullptr;
        std::uintptr_t address = 0;
        std::uint8_t type = 0;
        std::uint8_t endpoint = 0;
        std::size_t length = 0;
        bool withheld = false;
    };

    static int on_ioctl(UMockdevIoctlBase* handler, UMockdevIoctlClient* client, void* self);
    static int on_read(UMockdevIoctlBase* handler, UMockdevIoctlClient* client, void* self);
    static void on_vanished(UMockdevIoctlBase* handler, UMockdevIoctlClient* client, void* self);

    // Returns the ioctl result; sets `error` (errno) when negative.
    long handle(UMockdevIoctlClient* client, unsigned long request, int* error);
    long submit(UMockdevIoctlClient* client, int* error);
    long reap(UMockdevIoctlClient* client, int* error);
    long discard(UMockdevIoctlClient* client, int* error);
    long control_ioctl(UMockdevIoctlClient* client, int* error);
    void start(Urb urb);
    void finish(Urb urb, int status, const std::string& data);
    void release(Urb& urb);
    void update_readiness();
    void set_ready(bool ready);

    std::mutex& lock_;
    UsbtmcFunction& function_;
    std::string devnode_;
    std::string node_path_;
    ReapStats& stats_;
    std::function<void()> changed_;
    UMockdevIoctlBase* handler_ = nullptr;
    int fifo_ = -1;
    bool ready_ = true;
    bool vanished_ = false;
    std::list<Urb> pending_;
    std::deque<Urb> completed_;
};

}  // namespace hx4x::usbtmc_emulator
