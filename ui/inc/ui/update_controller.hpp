#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "firmware/firmware_setup.hpp"
#include "firmware/hex_file_reader.hpp"
#include "instrument/counter_lock.hpp"
#include "ui/loader_view.hpp"
#include "ui/update_job.hpp"
#include "ui/update_outcome.hpp"
#include "ui/update_view.hpp"
#include "update/counter_protocol.hpp"

namespace hx4x {

// Whether the file box names a firmware file at all: not empty, and something is there.
// When not, the view is told which, in the operator's words.
bool firmware_file_named(const std::string& file, ProgressView& view);

// The logic behind the loader window: refreshes the instruments, opens the selected counter,
// checks what the operator asked for and runs an update step by step on the calling thread,
// talking to its front end only through UpdateView, and to a window also through LoaderView. Long
// steps call back at each piece of progress; the callback moves the bar and lets the window handle
// its pending events, which is how Cancel, a close request, Enter and Escape reach a running
// update.
class UpdateController : private UpdateJobSink {
  public:
    // A front end without a window keeps no recent files or settings and never closes.
    explicit UpdateController(UpdateView& view);
    explicit UpdateController(LoaderView& window);
    UpdateController(const UpdateController&) = delete;
    UpdateController& operator=(const UpdateController&) = delete;

    // Program options handed over at start-up.
    void set_mask(const std::string& mask) { mask_ = mask; }
    void set_selected_address(const std::string& address) { selected_address_ = address; }
    void set_firmware_file(const std::string& file) { firmware_file_ = file; }
    void set_start(bool value) { start_ = value; }
    void set_skip_readme(bool value) { skip_readme_ = value; }
    void set_skip_burning(bool value) { skip_burning_ = value; }
    void set_dump_sending(bool value) { dump_sending_ = value; }
    void set_dump_firmware(bool value) { dump_firmware_ = value; }

    // Window events.
    bool refresh_instruments();
    bool open_selected_counter();
    void start_update();
    void request_close();
    void file_dropped(const std::string& path);
    void auto_start();
    void auto_refresh();
    void instrument_selected();

    // Brings the selected counter out of whatever state a stopped update left it in (loading
    // mode): opens and identifies it, resets it and identifies it again. A counter that does
    // not answer may still be flashing and gets nothing. The outcome tells how it ended.
    void reset_selected_counter();

    // What an identification view shows: opens the counter when no session is open (and
    // closes it again afterwards), fills rows, and answers whether the session was open.
    bool rebuild_identification(std::vector<IdentificationRow>& rows);

    // The yes/no confirmation before anything is sent.
    bool confirm_update(const FirmwareVersion& version, const std::string& file);

    // Progress callbacks handed to the protocol and the file load (context: the controller).
    static bool step_progress(void* context, std::uint32_t done, std::uint32_t total);
    static void burn_progress(void* context, int tick);

    bool update_running() const { return update_running_; }
    const std::string& mask() const { return mask_; }
    const std::string& selected_address() const { return selected_address_; }
    const std::string& firmware_file() const { return firmware_file_; }
    bool start() const { return start_; }
    bool skip_readme() const { return skip_readme_; }
    std::uint64_t send_seconds() const { return outcome_.send_seconds; }
    // How the last update started by start_update ended, step by step.
    const UpdateOutcome& outcome() const { return outcome_; }
    // Why the last update could not be added to the update history; empty when it was, or
    // when it did not reach the preparation and so is not recorded.
    const std::string& history_failure() const { return history_failure_; }
    std::uint64_t burn_seconds() const { return outcome_.burn_seconds; }
    CounterProtocol& protocol() { return protocol_; }
    const CounterProtocol& protocol() const { return protocol_; }

  private:
    // open_selected_counter's work, for the run's own reconnection. The counter is claimed
    // first, so that no other copy of the programs works with it at the same time.
    bool open_counter();
    // Closes the session and gives up the claim on the counter.
    void close_counter();
    // Whether the file named in the file box is a firmware file at all: named, a regular file
    // that exists and loads. Checked before any command reaches the counter, so a file that
    // would be refused later never costs a prepared counter.
    bool firmware_file_usable(const std::string& file, HexFileReader& reader);
    // Whether the loaded image can go to the connected counter: built into the blocks its
    // firmware takes before anything that changes the counter is sent.
    bool firmware_fits_counter(const std::string& file, const HexFileReader& reader);
    // The reset that ends a run; says so when it could not be sent, for the counter may then
    // still be in loading mode.
    bool final_reset();
    // The update job on the checked image, with this controller as its sink.
    void run_update(std::shared_ptr<const HexFileReader> image);
    // Adds the update that ended to the update history when it reached the preparation.
    void record_update();
    // Stops a running update at its next safe point.
    void stop_update();
    // The run has reached this step; it counts as failed there until it says otherwise.
    void enter_step(UpdateStep step);

    // What the running job shows goes to the view.
    void begin_step(UpdateStep step, const char* caption, std::uint32_t range) override;
    bool progress(std::uint32_t done, std::uint32_t total) override;
    void burn_tick(int tick) override;
    void show(MessageKind kind, const std::string& text) override;
    bool confirm(const FirmwareVersion& version, const std::string& file) override;
    void burn_started() override;
    void reconnected() override;

    UpdateView& view_;
    // The same front end when it is a window, else null.
    LoaderView* window_ = nullptr;
    CounterProtocol protocol_;
    bool update_running_ = false;
    bool skip_readme_ = false;
    bool start_ = false;
    bool skip_burning_ = false;
    bool dump_sending_ = false;
    bool dump_firmware_ = false;
    std::string mask_;
    std::string selected_address_;
    std::string firmware_file_;
    UpdateOutcome outcome_;
    CounterLock lock_;
    // The job of the update running now, else null.
    UpdateJob* job_ = nullptr;
    std::string history_failure_;
};

}  // namespace hx4x
