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
    const std::uint32_t max = self.view_.progress_max();
    // 64 bits: the load reports bytes, and bytes times the range must not overflow. A total
    // of 0 has nothing left to do, so the bar goes to its end.
    std::uint64_t position = total == 0 ? max : static_cast<std::uint64_t>(max) * done / total;
    if (position > max) {
        position = max;
    }
    self.view_.set_progress(static_cast<std::uint32_t>(position));

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
    if (tick >= 0 && tick % 5 == 0) {
        // The bar sweeps up over 500 ticks and back down over the next 500.
        const auto q = static_cast<std::uint32_t>(tick / 5);
        const std::uint32_t r = q % 100;
        std::uint32_t position = (q / 100) % 2 == 0 ? r : 100 - r;
        if (position > self.view_.progress_max()) {
            position = self.view_.progress_max();
        }
        self.view_.set_progress(position);
    }
    self.view_.drain_paint_events();
}

}  // namespace hx4x
