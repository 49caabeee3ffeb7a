#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "AuxLib/operator_message.hpp"
#include "firmware/hex_file_reader.hpp"
#include "ui/transfer_gate.hpp"
#include "ui/update_outcome.hpp"
#include "update/counter_protocol.hpp"

namespace hx4x {

// Where a bar of range max stands when done of total is done (64 bits: a load reports bytes);
// at its end when total is 0, which has nothing left to do.
std::uint32_t bar_position(std::uint32_t max, std::uint32_t done, std::uint32_t total);
// The burn's bar of range 100 at this tick: it sweeps up over 500 ticks and back down over the
// next 500, moving every fifth tick; nothing on the ticks between.
std::optional<std::uint32_t> burn_bar_position(int tick);

// What a running update job tells its front end, and asks of it. Called on the job's own
// thread; a front end that runs several jobs at once must take the calls from each.
class UpdateJobSink {
  public:
    virtual ~UpdateJobSink() = default;

    // A step with a bar begins: its caption and the bar's range.
    virtual void begin_step(UpdateStep step, const char* caption, std::uint32_t range) = 0;
    // Progress of a cancellable step; false asks the job to stop at its next safe point.
    virtual bool progress(std::uint32_t done, std::uint32_t total) = 0;
    // One wait of the burn went by; the burn cannot be stopped.
    virtual void burn_tick(int tick) = 0;
    virtual void show(MessageKind kind, const std::string& text) = 0;
    // The file is read: whether the operator still wants the update.
    virtual bool confirm(const FirmwareVersion& version, const std::string& file) = 0;
    // The burn starts: from now on nothing may interrupt the counter.
    virtual void burn_started() {}
    // The counter answered again after the burn; its new identity is in the protocol.
    virtual void reconnected() {}
};

struct UpdateJobOptions {
    bool skip_burning = false;
    bool dump_sending = false;
    bool dump_firmware = false;
    // Added to the dumps' names, so that counters updated in one run keep their own.
    std::string dump_tag;
    // Taken while the image is sent: counters behind one bus board never send at once.
    TransferGate* transfer_gate = nullptr;
};

// The steps of one update of one counter, already connected and identified: preparation,
// the file step, the operator's confirmation, sending, the burn, the reset the counter is
// owed, then the reconnection and the check that the new firmware runs. Everything it shows
// goes through the sink; how it ended goes to the outcome. The counter is never left in
// loading mode except while it may still be flashing, when a reset could ruin the flash.
class UpdateJob {
  public:
    UpdateJob(CounterProtocol& protocol, UpdateJobSink& sink, UpdateOutcome& outcome,
              UpdateJobOptions options);
    UpdateJob(const UpdateJob&) = delete;
    UpdateJob& operator=(const UpdateJob&) = delete;

    // The image, read and checked once, shared by every counter of a run; outcome.file and
    // outcome.file_version describe it.
    void run(std::shared_ptr<const HexFileReader> image);

    // Asks the job to stop at its next safe point; any thread may call it. A burn already
    // ordered always runs to its end.
    void cancel() { stop_ = true; }
    bool cancelled() const { return stop_; }

    // The text shown at the end of a successful run.
    std::string success_text() const;

  private:
    static bool on_progress(void* context, std::uint32_t done, std::uint32_t total);
    static void on_burn_tick(void* context, int tick);

    template <class Operation, class ErrorText>
    bool cancellable_step(UpdateStep step, const char* caption, std::uint32_t range,
                          Operation&& operation, ErrorText&& error_text);
    bool prepare_step();
    bool parse_step();
    bool send_step();
    bool burn_step();
    bool reconnect_step();
    void enter_step(UpdateStep step);
    void note_stopped();
    bool final_reset();
    void settle_pending_reset();

    CounterProtocol& protocol_;
    UpdateJobSink& sink_;
    UpdateOutcome& outcome_;
    UpdateJobOptions options_;
    std::shared_ptr<const HexFileReader> image_;
    std::atomic<bool> stop_{false};
    // The run still owes the counter its reset.
    bool reset_pending_ = false;
};

}  // namespace hx4x
