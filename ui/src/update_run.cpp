#include <algorithm>

#include "AuxLib/scope_guard.hpp"
#include "ui/update_controller.hpp"

namespace hx4x {

void UpdateController::run_update(std::shared_ptr<const HexFileReader> image) {
    view_.enter_busy_state();
    update_running_ = true;
    UpdateJobOptions options;
    options.skip_burning = skip_burning_;
    options.dump_sending = dump_sending_;
    options.dump_firmware = dump_firmware_;
    UpdateJob job(protocol_, *this, outcome_, options);
    job_ = &job;
    ScopeGuard finish([this] {
        job_ = nullptr;
        update_running_ = false;
        view_.leave_busy_state();
    });
    job.run(std::move(image));
}

void UpdateController::stop_update() {
    update_running_ = false;
    if (job_ != nullptr) {
        job_->cancel();
    }
}

void UpdateController::begin_step(UpdateStep, const char* caption, std::uint32_t range) {
    view_.set_status(caption);
    view_.set_progress_range(range);
    view_.set_progress(0);
    view_.drain_paint_events();
}

bool UpdateController::progress(std::uint32_t done, std::uint32_t total) {
    return step_progress(this, done, total);
}

void UpdateController::burn_tick(int tick) {
    burn_progress(this, tick);
}

void UpdateController::show(MessageKind kind, const std::string& text) {
    view_.show_message(kind, text);
}

bool UpdateController::confirm(const FirmwareVersion& version, const std::string& file) {
    return confirm_update(version, file);
}

void UpdateController::burn_started() {
    view_.hide_cancel();
}

void UpdateController::reconnected() {
    view_.refresh_identification();
    view_.drain_paint_events();
}

bool UpdateController::step_progress(void* context, std::uint32_t done, std::uint32_t total) {
    auto& self = *static_cast<UpdateController*>(context);
    if (!self.update_running_) {
        return false;
    }
    self.view_.set_progress(bar_position(self.view_.progress_max(), done, total));

    while (self.update_running_) {
        std::unique_ptr<ViewEvent> event = self.view_.take_event();
        if (!event) {
            break;
        }
        if (event->is_cancel_key()) {
            self.stop_update();
            continue;
        }
        self.view_.dispatch(std::move(event));
    }
    return self.update_running_;
}

void UpdateController::burn_progress(void* context, int tick) {
    auto& self = *static_cast<UpdateController*>(context);
    if (const std::optional<std::uint32_t> position = burn_bar_position(tick)) {
        self.view_.set_progress(std::min(*position, self.view_.progress_max()));
    }
    self.view_.drain_paint_events();
}

}  // namespace hx4x
