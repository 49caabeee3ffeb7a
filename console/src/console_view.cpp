#include "console/console_view.hpp"

#include <fstream>

#include "AuxLib/operator_message.hpp"
#include "console/console_texts.hpp"
#include "platform/message_box.hpp"
#include "ui/controller_texts.hpp"

namespace hx4x {

namespace {

struct InterruptEvent : ViewEvent {
    bool is_cancel_key() const override { return true; }
};

int hex_digit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

int hex_byte(const std::string& line, std::size_t at) {
    const int high = hex_digit(line[at]);
    const int low = hex_digit(line[at + 1]);
    return high < 0 || low < 0 ? -1 : high * 16 + low;
}

}  // namespace

std::vector<std::uint64_t> record_byte_counts(const std::string& path, std::size_t max_records) {
    std::vector<std::uint64_t> counts{0};
    std::ifstream file(path, std::ios::binary);
    std::string line;
    std::uint64_t total = 0;
    while (counts.size() <= max_records && std::getline(file, line)) {
        // ":LLAAAATT": length and type; anything shorter is not a record.
        if (line.size() < 9 || line[0] != ':') {
            continue;
        }
        const int length = hex_byte(line, 1);
        const int type = hex_byte(line, 7);
        if (length < 0 || type < 0) {
            continue;
        }
        if (type == 0) {
            total += static_cast<std::uint64_t>(length);
        }
        counts.push_back(total);
    }
    return counts;
}

ConsoleView::ConsoleView(ProgressRenderer& progress, InterruptCount interrupts)
    : progress_(progress), interrupts_(std::move(interrupts)) {
    interrupts_seen_ = interrupts_();
}

void ConsoleView::set_status(const std::string& text) {
    record_.captions.push_back(text);
    const bool sending = text == controller_text::sending_caption;
    progress_.begin_step(text, burning_, sending);
    if (sending && progress_.mode() == ProgressMode::terminal && controller_ != nullptr) {
        progress_.set_record_bytes(record_byte_counts(controller_->firmware_file()));
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
    record_.cancel_delivered = true;
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
    OperatorMessage(MessageKind::warning, console_text::burn_interrupt_refused).show();
}

void ConsoleView::show_message(MessageKind kind, const std::string& text) {
    record_.messages.push_back({kind, text});
    OperatorMessage(kind, text).show();
}

bool ConsoleView::ask_yes_no(const std::string& text) {
    questions_.push_back(text);
    const bool yes = OperatorMessage(MessageKind::question, text).ask() == platform::IDYES;
    if (!yes) {
        record_.declined = true;
    }
    return yes;
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
    const bool open = controller_->rebuild_identification(rows_);
    identifications_.push_back(rows_);
    return open;
}

}  // namespace hx4x
