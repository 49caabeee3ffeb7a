#include "AuxLib/scope_guard.hpp"
#include "app/emulated_version.hpp"
#include "ui/controller_texts.hpp"
#include "ui/format_duration.hpp"
#include "ui/update_controller.hpp"
#include "ui/version_check.hpp"

namespace hx4x {

namespace text = controller_text;

bool UpdateController::run_update(const std::string& file) {
    view_.enter_busy_state();
    update_running_ = true;
    outcome_.file = file;

    // The finishing actions, in this order on every way out: the running flag, the reset
    // of a counter left prepared, the busy state.
    reset_pending_ = true;
    ScopeGuard finish([this] {
        update_running_ = false;
        settle_pending_reset();
        view_.leave_busy_state();
    });

    if (!prepare_step()) {
        return update_running_;
    }
    // The reader holds the image until it has been sent.
    HexFileReader reader;
    if (!parse_step(file, reader)) {
        return update_running_;
    }
    if (!send_step(reader)) {
        return update_running_;
    }
    if (!burn_step()) {
        return update_running_;
    }
    settle_pending_reset();

    enter_step(UpdateStep::reconnect);
    if (!open_counter()) {
        outcome_.burned = false;
        view_.show_message(MessageKind::error, text::update_failed);
        return update_running_;
    }
    outcome_.after = protocol_.identity();
    view_.refresh_identification();
    view_.drain_paint_events();
    if (outcome_.burned && !emulation_on() &&
        still_runs_previous_firmware(outcome_.before, outcome_.after, outcome_.file_version)) {
        // The counter came back as it was: whatever it confirmed, the new firmware does not run.
        enter_step(UpdateStep::verify);
        outcome_.burned = false;
        view_.show_message(MessageKind::error, text::previous_firmware_head +
                                                   outcome_.after.firmware_version +
                                                   text::previous_firmware_tail);
        return update_running_;
    }
    outcome_.end = StepEnd::done;
    view_.show_message(MessageKind::information, success_text());
    return update_running_;
}

std::string UpdateController::success_text() const {
    std::string message = text::success_head;
    if (send_seconds_ != 0) {
        message += text::time_for_sending + format_duration(send_seconds_) + "\n";
    }
    if (burn_seconds_ != 0) {
        message += text::time_for_burning + format_duration(burn_seconds_) + "\n";
    }
    message += text::new_version + protocol_.identity().firmware_version;
    return message;
}

}  // namespace hx4x
