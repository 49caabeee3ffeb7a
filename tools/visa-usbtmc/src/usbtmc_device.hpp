#pragma once

// One claimed USBTMC interface: the bulk message exchange, the abort sequences that leave the
// link clean after a time-out, the USB488 requests, and the interrupt-IN listener that queues
// service requests. Not thread-safe: the entry points hold one lock around every call.

#include <libusb.h>

#include <cstdint>
#include <deque>
#include <memory>
#include <utility>
#include <vector>

#include "visa-usbtmc/status_text.hpp"
#include "visa-usbtmc/usbtmc_control.hpp"

namespace hx4x::visa_usbtmc {

struct InterfaceEndpoints {
    std::uint8_t interface_number = 0;
    std::uint8_t protocol = 0;  // bInterfaceProtocol: 1 for USB488
    std::uint8_t bulk_out = 0;
    std::uint8_t bulk_in = 0;
    std::uint8_t interrupt_in = 0;  // 0: none
    std::uint16_t bulk_in_packet = 64;
    std::uint16_t interrupt_packet = 2;
};

struct InterruptListener;

class UsbtmcDevice {
  public:
    // Opens, claims (detaching the kernel's driver while we hold it) and asks the capabilities.
    static ViStatus open(libusb_context* context, libusb_device* device,
                         const InterfaceEndpoints& endpoints, std::unique_ptr<UsbtmcDevice>* out);
    ~UsbtmcDevice();
    UsbtmcDevice(const UsbtmcDevice&) = delete;
    UsbtmcDevice& operator=(const UsbtmcDevice&) = delete;

    ViStatus write(const unsigned char* data, ViUInt32 count, ViUInt32* written,
                   unsigned timeout_ms);
    ViStatus read(unsigned char* buffer, ViUInt32 count, ViUInt32* received, unsigned timeout_ms);
    ViStatus read_status_byte(ViUInt16* status, unsigned timeout_ms);
    ViStatus clear(unsigned timeout_ms);
    ViStatus control_ren(ViUInt16 mode, unsigned timeout_ms);

    bool has_interrupt_in() const { return endpoints_.interrupt_in != 0; }
    // Starts queueing service requests; earlier ones were dropped.
    ViStatus enable_service_requests();
    // Stops queueing service requests and drops the queued ones; the listener stays.
    void disable_service_requests();
    // Drops the queued service requests.
    void discard_service_requests();
    // VI_SUCCESS when a request was queued or arrives within the time, else VI_ERROR_TMO.
    ViStatus wait_service_request(unsigned timeout_ms);

    bool lost() const { return lost_; }
    const Capabilities& capabilities() const { return capabilities_; }
    const InterfaceEndpoints& endpoints() const { return endpoints_; }

  private:
    UsbtmcDevice(libusb_context* context, libusb_device_handle* handle,
                 const InterfaceEndpoints& endpoints);

    ViStatus failure(int error, std::uint8_t endpoint);
    int control_in(std::uint8_t recipient, std::uint8_t request, std::uint16_t value,
                   std::uint16_t index, std::uint8_t* data, std::uint16_t length);
    void abort_bulk_out(std::uint8_t tag);
    void abort_bulk_in(std::uint8_t tag);
    void drain_bulk_in();
    ViStatus start_listener();
    // Runs libusb's event handling for up to `timeout_ms` or until a notification arrives.
    void pump(unsigned timeout_ms);
    bool take_status_answer(std::uint8_t tag, std::uint8_t* status_byte);

    libusb_context* context_;
    libusb_device_handle* handle_;
    InterfaceEndpoints endpoints_;
    Capabilities capabilities_;
    std::uint8_t bulk_tag_ = 0;
    std::uint8_t status_tag_ = 1;
    bool lost_ = false;
    std::vector<std::uint8_t> reply_;
    InterruptListener* listener_ = nullptr;
};

}  // namespace hx4x::visa_usbtmc
