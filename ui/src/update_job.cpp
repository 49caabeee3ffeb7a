#include "ui/update_job.hpp"

#include "AuxLib/scope_guard.hpp"
#include "app/emulated_version.hpp"
#include "instrument/performance_timer.hpp"
#include "ui/controller_texts.hpp"
#include "ui/format_duration.hpp"
#include "ui/version_check.hpp"

namespace hx4x {

namespace text = controller_text;

std::uint32_t bar_position(std::uint32_t max, std::uint32_t done, std::uint32_t total) {
    const std::uint64_t position =
        total == 0 ? max : static_cast<std::uint64_t>(max) * done / total;
    return static_cast<std::uint32_t>(position > max ? max : position);
}

std::optional<std::uint32_t> burn_bar_position(int tick) {
    if (tick < 0 || tick % 5 != 0) {
        return std::nullopt;
    }
    const auto q = static_cast<std::uint32_t>(tick / 5);
    const std::uint32_t r = q % 100;
    return (q / 100) % 2 == 0 ? r : 100 - r;
}

UpdateJob::UpdateJob(CounterProtocol& protocol, UpdateJobSink& sink, UpdateOutcome& outcome,
                     UpdateJobOptions options)
    : protocol_(protocol), sink_(sink), outcome_(outcome), options_(std::move(options)) {}

void UpdateJob::run(std::shared_ptr<const HexFileReader> image) {
    image_ = std::move(image);
    protocol_.set_dump_tag(options_.dump_tag);
    // The reset is owed from the first command that changes the counter, on every way out,
    // except while it may be flashing.
    reset_pending_ = true;
    ScopeGuard settle([this] { settle_pending_reset(); });

    if (!prepare_step() || !parse_step() || !send_step() || !burn_step()) {
        return;
    }
    settle_pending_reset();
    if (!reconnect_step()) {
        return;
    }
    if (outcome_.burned && !emulation_on() &&
        still_runs_previous_firmware(outcome_.before, outcome_.after, outcome_.file_version)) {
        // The counter came back as it was: whatever it confirmed, the new firmware does not run.
        enter_step(UpdateStep::verify);
        outcome_.burned = false;
        sink_.show(MessageKind::error, text::previous_firmware_head +
                                           outcome_.after.firmware_version +
                                           text::previous_firmware_tail);
        return;
    }
    outcome_.end = StepEnd::done;
    sink_.show(MessageKind::information, success_text());
}

bool UpdateJob::on_progress(void* context, std::uint32_t done, std::uint32_t total) {
    auto& self = *static_cast<UpdateJob*>(context);
    if (self.stop_) {
        return false;
    }
    if (!self.sink_.progress(done, total)) {
        self.stop_ = true;
    }
    return !self.stop_;
}

void UpdateJob::on_burn_tick(void* context, int tick) {
    static_cast<UpdateJob*>(context)->sink_.burn_tick(tick);
}

template <class Operation, class ErrorText>
bool UpdateJob::cancellable_step(UpdateStep step, const char* caption, std::uint32_t range,
                                 Operation&& operation, ErrorText&& error_text) {
    enter_step(step);
    sink_.begin_step(step, caption, range);
    if (operation()) {
        // A cancel after the operation's last report still stops the run, silently.
        if (stop_) {
            note_stopped();
        }
        return !stop_;
    }
    note_stopped();
    sink_.show(stop_ ? MessageKind::warning : MessageKind::error,
               stop_ ? std::string(text::canceled) : error_text());
    return false;
}

bool UpdateJob::prepare_step() {
    return cancellable_step(
        UpdateStep::prepare, text::preparing_caption, 1024,
        [this] { return !stop_ && protocol_.prepare(on_progress, this); },
        [] { return std::string(text::preparing_error); });
}

bool UpdateJob::parse_step() {
    // The image was read and checked before the counter heard anything; what was checked is
    // what is sent, even if the file changes meanwhile.
    const bool read = cancellable_step(
        UpdateStep::parse, text::parsing_caption, 1024, [this] { return on_progress(this, 1, 1); },
        [] { return std::string(); });
    if (!read) {
        return false;
    }
    outcome_.bytes_after_records = bytes_after_records(image_->records());
    if (!sink_.confirm(outcome_.file_version, outcome_.file)) {
        outcome_.end = StepEnd::declined;
        return false;
    }
    return true;
}

bool UpdateJob::send_step() {
    const auto total = static_cast<std::uint32_t>(image_->records().size());
    return cancellable_step(
        UpdateStep::send, text::sending_caption, total,
        [&] {
            TransferGate* gate = options_.transfer_gate;
            if (gate != nullptr && !gate->enter(stop_)) {
                return false;
            }
            ScopeGuard leave([gate] {
                if (gate != nullptr) {
                    gate->leave();
                }
            });
            PerformanceTimer timer;
            timer.start();
            const bool sent = protocol_.send_firmware(*image_, options_.dump_sending,
                                                      options_.dump_firmware, on_progress, this);
            outcome_.dumps = protocol_.dump_report();
            if (sent) {
                outcome_.send_seconds = timer.elapsed_seconds();
            }
            return sent;
        },
        [] { return std::string(text::sending_error); });
}

bool UpdateJob::burn_step() {
    if (options_.skip_burning) {
        return true;
    }
    enter_step(UpdateStep::burn);
    sink_.burn_started();
    sink_.begin_step(UpdateStep::burn, text::burning_caption, 100);

    PerformanceTimer timer;
    timer.start();
    const bool burnt = protocol_.burn(on_burn_tick, this);
    if (burnt) {
        outcome_.burn_seconds = timer.elapsed_seconds();
    }
    if (protocol_.burn_ordered()) {
        // From the order on the counter may be flashing, and a reset could ruin it: the run
        // resets it only once it answers again after the flash, and never when it does not.
        reset_pending_ = false;
        if (!protocol_.wait_until_back(on_burn_tick, this)) {
            sink_.show(MessageKind::error, text::update_failed);
            return false;
        }
        reset_pending_ = true;
    }
    if (!burnt) {
        sink_.show(MessageKind::error, text::update_failed);
        return false;
    }
    outcome_.burned = true;
    return true;
}

bool UpdateJob::reconnect_step() {
    enter_step(UpdateStep::reconnect);
    const std::string resource = outcome_.before.resource_name;
    protocol_.disconnect();
    if (!protocol_.connect(resource)) {
        outcome_.burned = false;
        sink_.show(MessageKind::error,
                   text::open_failure_head + resource + text::open_failure_tail);
        sink_.show(MessageKind::error, text::update_failed);
        return false;
    }
    outcome_.after = protocol_.identity();
    sink_.reconnected();
    return true;
}

std::string UpdateJob::success_text() const {
    std::string message = text::success_head;
    if (outcome_.send_seconds != 0) {
        message += text::time_for_sending + format_duration(outcome_.send_seconds) + "\n";
    }
    if (outcome_.burn_seconds != 0) {
        message += text::time_for_burning + format_duration(outcome_.burn_seconds) + "\n";
    }
    message += text::new_version + protocol_.identity().firmware_version;
    return message;
}

void UpdateJob::enter_step(UpdateStep step) {
    outcome_.step = step;
    outcome_.end = StepEnd::failed;
}

void UpdateJob::note_stopped() {
    outcome_.end = stop_ ? StepEnd::cancelled : StepEnd::failed;
}

void UpdateJob::settle_pending_reset() {
    if (reset_pending_) {
        reset_pending_ = false;
        final_reset();
    }
}

bool UpdateJob::final_reset() {
    if (protocol_.reset()) {
        return true;
    }
    sink_.show(MessageKind::error, text::reset_failed);
    return false;
}

}  // namespace hx4x
