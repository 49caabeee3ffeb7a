#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "firmware/hex_file_reader.hpp"
#include "firmware/hex_record.hpp"
#include "firmware/progress_callback.hpp"
#include "instrument/counter_identity.hpp"
#include "instrument/instrument_session.hpp"
#include "update/burn_tick_callback.hpp"
#include "update/dump_report.hpp"
#include "update/protocol_commands.hpp"

namespace hx4x {

// The dialogue with one counter: connect and identify, prepare, send the firmware image in
// blocks, burn it and reset. Every operation answers a success flag and shows nothing.
// The counter's version_number selects the protocol variant (thresholds 100, 107, 111).
class CounterProtocol {
  public:
    CounterProtocol() = default;
    CounterProtocol(const CounterProtocol&) = delete;
    CounterProtocol& operator=(const CounterProtocol&) = delete;

    // Opens the session and identifies the counter; the session is closed again on failure.
    bool connect(std::string_view resource_name);
    // Closes the session and forgets the identity.
    void disconnect();
    // ":ABOR; *IDN?" and its reply; the emulated identity in emulation.
    bool identify();
    // ":ABOR; *rst; *PSC 0; *CLS".
    bool reset();
    // "SYST:ERR?": true only when the reply starts with the number 0.
    bool check_error_queue();

    // Puts the counter in loading mode; counters from 111 on report 23 steps first.
    bool prepare(ProgressCallback progress, void* context);

    // Sends the image in checksummed blocks, each confirmed through the error queue and
    // tried up to three times. The dumps are written beside the firmware file. Every way
    // out except success and a failed write resets the counter.
    bool send_firmware(const HexFileReader& image, bool dump_sending, bool dump_firmware,
                       ProgressCallback progress, void* context);
    bool send_firmware(const std::string& firmware_path, std::span<const HexRecord> records,
                       bool dump_sending, bool dump_firmware, ProgressCallback progress,
                       void* context);

    // Orders the burn and waits for the counter to confirm it: by service request above
    // version 100, by polling otherwise. Success needs the counter's word that the flash
    // completed: its completion reply, or its power-on event after the restart.
    bool burn(BurnTickCallback tick, void* context);
    bool burn_by_polling(BurnTickCallback tick, void* context);
    bool burn_by_service_request(BurnTickCallback tick, void* context);

    // Whether the last burn sent, or tried to send, its order: from then on the counter may
    // be flashing, and nothing may reset it until it is back.
    bool burn_ordered() const { return burn_ordered_; }
    // After a burn order, successful or not: waits, up to about two minutes from the order,
    // until the counter answers its identification and has shown that the flash is over
    // (the burn's own confirmation, or its power-on event), with the session open. False
    // when it never did: it may still be flashing and must be power-cycled, never reset.
    // Without a burn order: whether the session is open.
    bool wait_until_back(BurnTickCallback tick, void* context);

    // Joined to the dumps' file names, so that counters sent one file at once keep their own.
    void set_dump_tag(std::string tag) { dump_tag_ = std::move(tag); }

    // The dumps of the last send_firmware, as far as it got.
    const DumpReport& dump_report() const { return dump_report_; }

    const CounterIdentity& identity() const { return identity_; }
    InstrumentSession& session() { return session_; }
    const InstrumentSession& session() const { return session_; }

  private:
    // Where the transfer stands, reported again after each failed attempt of a block.
    struct TransferPosition {
        ProgressCallback callback = nullptr;
        void* context = nullptr;
        std::uint32_t done = 0;
        std::uint32_t total = 0;
        // Reports the position; false once the caller asked to stop.
        bool report() const { return callback == nullptr || callback(context, done, total); }
    };
    enum class BlockEnd { confirmed, refused, write_failed, cancelled };

    bool send(ProtocolCommand command);
    // Sends the data command up to three times until the counter confirms the block.
    BlockEnd send_block(const std::string& command, std::uint32_t& commands_sent,
                        const TransferPosition& position);
    // Opens the burnt counter again, trying for about a minute.
    bool reopen_after_burn(BurnTickCallback callback, void* context);
    // Waits this long in ticks of one burn wait each, so that the bar goes on moving.
    void pause_with_ticks(std::uint32_t milliseconds, BurnTickCallback callback, void* context);
    // "*ESR?" and its reply, then "*ESE 0;:*SRE 0".
    bool read_event_status(unsigned& status);
    // Reads the event status: the counter must show that it restarted, and when it also
    // shows errors (but those ignored), its error queue must be empty.
    bool verify_after_burn(unsigned ignored_errors = 0);
    // One attempt of wait_until_back.
    bool counter_answers_after_burn();
    void begin_burn();
    void note_burn_order();
    // Counts a burn tick and passes it on.
    void count_tick(BurnTickCallback callback, void* context);

    CounterIdentity identity_;
    InstrumentSession session_;
    DumpReport dump_report_;
    std::string dump_tag_;
    bool burn_ordered_ = false;
    bool flash_done_ = false;
    std::int64_t burn_order_time_ = 0;
    int burn_ticks_ = 0;
    std::string burn_resource_;
};

}  // namespace hx4x
