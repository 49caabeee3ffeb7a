#include "instrument/performance_timer.hpp"
#include "ui/controller_texts.hpp"
#include "ui/update_controller.hpp"

namespace hx4x {

namespace text = controller_text;

template <class Operation, class ErrorText>
bool UpdateController::cancellable_step(const char* caption, std::uint32_t range,
                                        Operation&& operation, ErrorText&& error_text) {
    view_.set_status(caption);
    view_.set_progress_range(range);
    view_.set_progress(0);
    view_.drain_paint_events();
    if (operation()) {
        // A cancel after the operation's last report still stops the run, silently.
        if (!update_running_) {
            note_stopped();
        }
        return update_running_;
    }
    note_stopped();
    if (update_running_) {
        view_.show_message(MessageKind::error, error_text());
    } else {
        view_.show_message(MessageKind::warning, text::canceled);
    }
    return false;
}

bool UpdateController::prepare_step() {
    enter_step(UpdateStep::prepare);
    return cancellable_step(
        text::preparing_caption, 1024, [this] { return protocol_.prepare(step_progress, this); },
        [] { return std::string(text::preparing_error); });
}

bool UpdateController::parse_step(const std::string& file, HexFileReader& reader) {
    enter_step(UpdateStep::parse);
    FirmwareVersion version;
    std::string reader_error;
    const bool loaded = cancellable_step(
        text::parsing_caption, 1024,
        [&] { return load_firmware(reader, file, step_progress, this, &version, &reader_error); },
        [&] { return text::parsing_error(file, reader_error); });
    if (!loaded) {
        return false;
    }
    outcome_.file_version = version;
    outcome_.bytes_after_records = bytes_after_records(reader.records());
    if (!confirm_update(version, file)) {
        outcome_.end = StepEnd::declined;
        return false;
    }
    return true;
}

bool UpdateController::send_step(const HexFileReader& reader) {
    enter_step(UpdateStep::send);
    send_seconds_ = 0;
    const auto total = static_cast<std::uint32_t>(reader.records().size());
    return cancellable_step(
        text::sending_caption, total,
        [&] {
            PerformanceTimer timer;
            timer.start();
            const bool sent =
                protocol_.send_firmware(reader, dump_sending_, dump_firmware_, step_progress, this);
            outcome_.dumps = protocol_.dump_report();
            if (!sent) {
                return false;
            }
            send_seconds_ = timer.elapsed_seconds();
            outcome_.send_seconds = send_seconds_;
            return true;
        },
        [] { return std::string(text::sending_error); });
}

bool UpdateController::burn_step() {
    if (skip_burning_) {
        return true;
    }
    enter_step(UpdateStep::burn);
    view_.hide_cancel();
    view_.set_status(text::burning_caption);
    view_.set_progress_range(100);
    view_.set_progress(0);
    view_.drain_paint_events();

    burn_seconds_ = 0;
    PerformanceTimer timer;
    timer.start();
    const bool burnt = protocol_.burn(burn_progress, this);
    if (burnt) {
        burn_seconds_ = timer.elapsed_seconds();
        outcome_.burn_seconds = burn_seconds_;
    }
    if (protocol_.burn_ordered()) {
        // From the order on the counter may be flashing, and a reset could ruin it: the run
        // resets it only once it answers again after the flash, and never when it does not.
        reset_pending_ = false;
        if (!protocol_.wait_until_back(burn_progress, this)) {
            view_.show_message(MessageKind::error, text::update_failed);
            return false;
        }
        reset_pending_ = true;
    }
    if (!burnt) {
        view_.show_message(MessageKind::error, text::update_failed);
        return false;
    }
    outcome_.burned = true;
    return true;
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
            self.update_running_ = false;
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
