#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "visa-sim/counter_state.hpp"
#include "visa-sim/error_queue.hpp"
#include "visa-sim/program_message.hpp"
#include "visa-sim/received_image.hpp"
#include "visa-sim/sim_config.hpp"

namespace hx4x::visa_sim {

// Status byte and event status bits (IEEE 488.2 and SCPI).
inline constexpr std::uint8_t stb_error_queue = 0x04;
inline constexpr std::uint8_t stb_message_available = 0x10;
inline constexpr std::uint8_t stb_event_summary = 0x20;
inline constexpr std::uint8_t stb_request_service = 0x40;
inline constexpr std::uint8_t esr_operation_complete = 0x01;
inline constexpr std::uint8_t esr_query_error = 0x04;
inline constexpr std::uint8_t esr_device_error = 0x08;
inline constexpr std::uint8_t esr_execution_error = 0x10;
inline constexpr std::uint8_t esr_command_error = 0x20;
inline constexpr std::uint8_t esr_power_on = 0x80;

// "V1.15" -> 115: the integer part times 100 plus two fraction digits; 0 when not a number.
int version_number_of(std::string_view version_token);

// The blocks a counter stored and whether its image was emptied first, since the last call
// of take_image_changes: what a state file appends to its block log.
struct ImageChanges {
    struct Block {
        std::uint32_t address = 0;
        std::string bytes;
    };
    bool cleared = false;
    std::vector<Block> stored;
};

// One counter behind a resource: parses program messages, keeps the IEEE 488.2 status
// registers and error queue, checks and stores firmware blocks, and burns and reboots.
// Time comes from the caller in milliseconds.
class CounterModel {
  public:
    explicit CounterModel(const ResourceConfig& config);

    // Executes one program message; returns it as the transcript shows it, marks included.
    std::string receive(std::string_view message, std::uint64_t now_ms);
    // Raises the early request and completes the flash when they are due.
    void advance(std::uint64_t now_ms);
    std::optional<std::uint64_t> burn_due_ms() const { return s_.burn_due_ms; }
    // The next moment the counter changes by itself (early request, end of the flash).
    std::optional<std::uint64_t> next_change_ms() const;
    bool flashing() const { return s_.burn_due_ms.has_value(); }
    bool bricked() const { return s_.bricked; }
    // False while the counter takes no message and gives no reply: bricked, or flashing
    // with `burn_answer no`.
    bool answers() const;

    bool has_reply() const { return reply_offset_ < reply_.size(); }
    // An "*OPC?" waits for the burn; its reply comes when the burn completes.
    bool reply_deferred() const { return opc_query_pending_; }
    // Up to `max` bytes of the reply; `complete` tells whether they end it.
    std::string take_reply(std::size_t max, bool* complete);
    // A read found no reply and none was coming.
    void read_found_nothing();

    // "*STB?" value (bit 6 the master summary).
    std::uint8_t status_byte() const;
    // Serial poll: bit 6 is the request flag, cleared by the poll.
    std::uint8_t serial_poll();
    // Service requests raised since the last call.
    std::uint32_t take_service_requests();
    // Service requests raised in all, the early one included.
    std::uint32_t service_requests() const { return s_.service_requests; }

    std::uint32_t reboots() const { return s_.reboots; }
    std::uint32_t burn_orders() const { return s_.burn_orders; }
    int version_number() const { return version_number_; }
    int length_field() const { return width_; }
    const std::string& idn() const { return s_.idn; }
    std::uint8_t event_status() const { return s_.esr; }
    bool firmware_mode() const { return s_.firmware_mode; }
    const ErrorQueue& errors() const { return s_.errors; }
    const ReceivedImage& image() const { return image_; }

    // For a state file: the lasting state, taken and given back whole, and the image as
    // blocks, replayed in the order they were stored.
    const CounterState& state() const { return s_; }
    void restore(const CounterState& state);
    void track_image_changes(bool on) { track_image_ = on; }
    ImageChanges take_image_changes();
    void restore_image_block(std::uint32_t address, const std::uint8_t* data, std::size_t length);
    void restore_image_cleared();

  private:
    enum class Command;

    void execute(const ProgramUnit& unit, std::vector<std::string>& replies, std::string& summary,
                 std::uint64_t now_ms);
    void data_block(std::string_view block, std::string& summary);
    void order_burn(std::uint64_t now_ms);
    void reboot();
    void brick();
    void clear_image();
    void push_error(int code, const std::string& text);
    void set_version(const std::string& idn);
    std::uint8_t summary_bits() const;
    void evaluate_service_request();

    ResourceConfig config_;
    CounterState s_;
    int version_number_ = 0;
    int width_ = 2;
    std::uint32_t requests_taken_ = 0;

    bool opc_query_pending_ = false;
    std::string reply_;
    std::size_t reply_offset_ = 0;

    ReceivedImage image_;
    bool track_image_ = false;
    ImageChanges image_changes_;
};

}  // namespace hx4x::visa_sim
