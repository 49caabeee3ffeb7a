#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "instrument/visa_types.hpp"

namespace hx4x {

// One VISA session to one instrument. Every operation answers a plain success flag;
// a VISA call succeeds only with status exactly 0. While counter emulation is on every
// operation succeeds without touching VISA.
class InstrumentSession {
  public:
    // Names of this many characters or more are refused.
    static constexpr std::size_t max_name_length = 256;

    InstrumentSession() = default;
    // Closes the session if it is open.
    ~InstrumentSession();
    InstrumentSession(const InstrumentSession&) = delete;
    InstrumentSession& operator=(const InstrumentSession&) = delete;

    // Opens (or re-opens) a session; a failed re-open leaves the session closed.
    bool open(std::string_view resource_name);
    void close();

    // Sends the text as it is: no terminator, no line ending.
    bool write(std::string_view command);
    bool write_bytes(const std::uint8_t* data, std::size_t length);
    // Reads up to capacity bytes and stores a zero behind them: the buffer must hold
    // capacity + 1 bytes. count, when given, is set to 0 first and then to the bytes read.
    bool read(char* buffer, int capacity, std::uint32_t* count = nullptr);
    // write, then read; true only if both succeed.
    bool query(std::string_view command, char* buffer, int capacity,
               std::uint32_t* count = nullptr);

    bool set_timeout(std::uint32_t milliseconds);
    // A pause after every successful write and every non-empty read; 0 = none. It
    // survives open and close.
    void set_io_delay(std::uint32_t milliseconds) { io_delay_ = milliseconds; }
    std::uint32_t io_delay() const { return io_delay_; }

    bool enable_service_request();
    // True when a service request arrived within the time. status, when given, gets the
    // library's answer, so that a wait that expired can be told from a session that is gone.
    bool wait_service_request(std::uint32_t milliseconds, visa::ViStatus* status = nullptr);

    // Open and the name contains "USB" (exact case).
    bool is_usb() const;
    bool is_open() const { return handle_ != 0; }
    std::string resource_name() const { return resource_name_; }
    visa::ViSession handle() const { return handle_; }

  private:
    bool write_raw(const unsigned char* data, std::size_t length);

    std::string resource_name_;
    visa::ViSession handle_ = 0;
    std::uint32_t io_delay_ = 0;
};

}  // namespace hx4x
