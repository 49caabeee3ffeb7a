#include "console/console_view.hpp"

#include "AuxLib/operator_message.hpp"
#include "console/console_texts.hpp"
#include "ui/controller_texts.hpp"

namespace hx4x {

namespace {

struct InterruptEvent : ViewEvent {
    bool is_cancel_key() const override { return true; }
};

}  // namespace

ConsoleView::ConsoleView(ProgressRenderer& progress, ConsolePresenter& presenter,
                         InterruptCount interrupts)
    : progress_(progress), presenter_(presenter), interrupts_(std::move(interrupts)) {
    interrupts_seen_ = interrupts_();
}

void ConsoleView::set_status(const std::string& text) {
    const bool sending = text == controller_text::sending_caption;
    progress_.begin_step(text, burning_, sending);
    if (sending && progress_.mode() == ProgressMode::terminal && controller_ != nullptr) {
        progress_.set_record_bytes(controller_->outcome().bytes_after_records);
    }
}

void ConsoleView::set_progress_range(std::uint32_t max) {
    progress_max_ = max;
    progress_.set_range(max);
}

void ConsoleView::set_progress(std::uint32_t position) {
    progress_.set_position(position);
}

std::unique_ptr<ViewEvent> ConsoleView::take_event() {
    const unsigned count = interrupts_();
    if (count == interrupts_seen_) {
        return nullptr;
    }
    // Several interrupts since the last look are one cancel: the run stops at this point.
    interrupts_seen_ = count;
    return std::make_unique<InterruptEvent>();
}

void ConsoleView::dispatch(std::unique_ptr<ViewEvent>) {
    // Interrupts are the only events and the controller keeps cancel keys to itself.
}

void ConsoleView::drain_paint_events() {
    // Outside the burn an interrupt is kept for the next safe point, never dropped.
    if (!burning_ || !interrupt_pending()) {
        return;
    }
    interrupts_seen_ = interrupts_();
    presenter_.show(MessageKind::warning, console_text::burn_interrupt_refused, false);
}

void ConsoleView::show_message(MessageKind kind, const std::string& text) {
    last_message_ = text;
    if (holding_) {
        held_.emplace_back(kind, text);
        return;
    }
    // The controller records success before it reports it: that report is the result.
    const bool is_result = kind == MessageKind::information && controller_ != nullptr &&
                           controller_->outcome().succeeded();
    presenter_.show(kind, text, is_result);
}

void ConsoleView::hold_messages(bool hold) {
    holding_ = hold;
}

void ConsoleView::release_messages(bool discard) {
    holding_ = false;
    std::vector<std::pair<MessageKind, std::string>> held;
    held.swap(held_);
    if (discard) {
        return;
    }
    for (const auto& [kind, text] : held) {
        presenter_.show(kind, text, false);
    }
}

bool ConsoleView::ask_yes_no(const std::string& text) {
    return presenter_.ask(text);
}

void ConsoleView::leave_busy_state() {
    burning_ = false;
    progress_.end();
}

void ConsoleView::list_clear() {
    list_.clear();
    selected_ = 0;
}

std::string ConsoleView::list_selected_text() const {
    return selected_ < list_.size() ? list_[selected_] : std::string();
}

bool ConsoleView::refresh_identification() {
    if (controller_ == nullptr) {
        return false;
    }
    return controller_->rebuild_identification(rows_);
}

}  // namespace hx4x
