#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// One counter behind a resource: parses program messages, keeps the IEEE 488.2 status
// registers and error queue, checks and stores firmware blocks, and burns and reboots.
// Time comes from the caller in milliseconds.
class CounterModel {
  public:
    explicit CounterModel(const ResourceConfig& config);

    // Executes one program message; returns it as the transcript shows it.
    std::string receive(std::string_view message, std::uint64_t now_ms);
    // Completes the burn when it is due.
    void advance(std::uint64_t now_ms);
    std::optional<std::uint64_t> burn_due_ms() const { return burn_due_ms_; }

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

    std::uint32_t reboots() const { return reboots_; }
    int version_number() const { return version_number_; }
    int length_field() const { return width_; }
    const std::string& idn() const { return idn_; }
    std::uint8_t event_status() const { return esr_; }
    bool firmware_mode() const { return firmware_mode_; }
    const ErrorQueue& errors() const { return errors_; }
    const ReceivedImage& image() const { return image_; }

  private:
    enum class Command;

    void execute(const ProgramUnit& unit, std::vector<std::string>& replies, std::string& summary,
                 std::uint64_t now_ms);
    void data_block(std::string_view block, std::string& summary);
    void order_burn(std::uint64_t now_ms);
    void reboot();
    void push_error(int code, const std::string& text);
    void set_version(const std::string& idn);
    std::uint8_t summary_bits() const;
    void evaluate_service_request();

    ResourceConfig config_;
    std::string idn_;
    int version_number_ = 0;
    int width_ = 2;

    ErrorQueue errors_;
    std::uint8_t esr_ = esr_power_on;
    std::uint8_t ese_ = 0;
    std::uint8_t sre_ = 0;
    bool power_on_clear_ = false;
    bool opc_armed_ = false;
    bool opc_query_pending_ = false;
    bool request_condition_ = false;
    bool request_flag_ = false;
    std::uint32_t service_requests_ = 0;

    std::string reply_;
    std::size_t reply_offset_ = 0;

    bool firmware_mode_ = false;
    ReceivedImage image_;
    std::string last_block_;
    std::uint32_t block_number_ = 0;
    std::uint32_t block_attempt_ = 0;

    std::optional<std::uint64_t> burn_due_ms_;
    std::uint32_t reboots_ = 0;
};

}  // namespace hx4x::visa_sim
