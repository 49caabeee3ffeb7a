#include "console/progress_renderer.hpp"

#include "instrument/clock.hpp"

namespace hx4x {

namespace {

// Fields that change with time alone (rate, time left, elapsed) are redrawn this often.
constexpr double redraw_interval_seconds = 0.2;
constexpr std::uint64_t burn_report_seconds = 10;

}  // namespace

double ProgressRenderer::elapsed_seconds() const {
    Clock& clock = current_clock();
    const std::int64_t frequency = clock.frequency();
    if (frequency <= 0) {
        return 0;
    }
    return static_cast<double>(clock.now() - step_start_) / static_cast<double>(frequency);
}

void ProgressRenderer::set_resource(std::string resource, bool prefix, std::string* board_line,
                                    std::string board_label) {
    board_label_ = board_label.empty() ? resource : std::move(board_label);
    resource_ = std::move(resource);
    prefix_ = prefix;
    board_line_ = board_line;
}

JsonObject ProgressRenderer::event(const char* name) const {
    JsonObject object;
    object.add("event", name);
    if (!resource_.empty()) {
        object.add("resource", resource_);
    }
    return object;
}

void ProgressRenderer::plain_line(const std::string& text) {
    output_.progress_line(prefix_ ? resource_ + ": " + text : text);
}

void ProgressRenderer::begin_step(const std::string& caption, bool burning, bool show_records) {
    if (active_ && mode_ == ProgressMode::terminal && board_line_ == nullptr) {
        output_.end_progress();
    }
    active_ = true;
    snapshot_ = ProgressSnapshot{};
    snapshot_.caption = caption;
    snapshot_.burning = burning;
    snapshot_.show_records = show_records;
    record_bytes_.clear();
    step_start_ = current_clock().now();
    reported_decile_ = 0;
    reported_burn_seconds_ = 0;
    last_line_.clear();
    last_draw_seconds_ = -1;
    last_mark_ = 0;
    switch (mode_) {
        case ProgressMode::terminal:
            // Drawn at the first position, once the range is known.
            break;
        case ProgressMode::plain:
            plain_line(caption);
            break;
        case ProgressMode::json:
            output_.json_line(event("step").add("step", caption));
            break;
    }
}

void ProgressRenderer::set_range(std::uint32_t max) {
    snapshot_.max = max;
}

void ProgressRenderer::set_record_bytes(std::vector<std::uint64_t> bytes_after_records) {
    record_bytes_ = std::move(bytes_after_records);
}

void ProgressRenderer::set_position(std::uint32_t position) {
    if (!active_) {
        return;
    }
    snapshot_.position = position;
    snapshot_.elapsed_seconds = elapsed_seconds();
    snapshot_.bytes_known = position < record_bytes_.size();
    snapshot_.bytes_done = snapshot_.bytes_known ? record_bytes_[position] : 0;
    if (mode_ == ProgressMode::terminal) {
        draw(last_line_.empty());
    } else {
        report_deciles();
    }
}

void ProgressRenderer::draw(bool force) {
    // Percent and bar changes show at once; the fields that move with time alone (rate,
    // time left, elapsed) at a calm pace.
    const unsigned mark = snapshot_.burning ? snapshot_.position
                                            : progress_percent(snapshot_.position, snapshot_.max);
    if (!force && mark == last_mark_ &&
        snapshot_.elapsed_seconds - last_draw_seconds_ < redraw_interval_seconds) {
        return;
    }
    if (board_line_ != nullptr) {
        // One column short of the width: a line that fills the row would wrap on some
        // terminals, and the board's cursor moves would count one line too few.
        const std::string head = board_label_ + "  ";
        const std::size_t width = output_.width() > 0 ? output_.width() - 1 : 0;
        *board_line_ = head + terminal_progress_line(
                                  snapshot_, width > head.size() + 20 ? width - head.size() : 20);
        last_line_ = *board_line_;
        last_mark_ = mark;
        last_draw_seconds_ = snapshot_.elapsed_seconds;
        return;
    }
    const std::string line = terminal_progress_line(snapshot_, output_.width());
    if (!force && line == last_line_) {
        return;
    }
    output_.draw_progress(line);
    last_line_ = line;
    last_mark_ = mark;
    last_draw_seconds_ = snapshot_.elapsed_seconds;
}

void ProgressRenderer::report_deciles() {
    if (snapshot_.burning) {
        const auto seconds = static_cast<std::uint64_t>(snapshot_.elapsed_seconds);
        if (mode_ == ProgressMode::plain &&
            seconds >= reported_burn_seconds_ + burn_report_seconds) {
            reported_burn_seconds_ = seconds - seconds % burn_report_seconds;
            plain_line(snapshot_.caption + " " + std::to_string(reported_burn_seconds_) + " s");
        }
        return;
    }
    const unsigned decile = progress_percent(snapshot_.position, snapshot_.max) / 10;
    if (decile <= reported_decile_) {
        return;
    }
    reported_decile_ = decile;
    const unsigned percent = decile * 10;
    if (mode_ == ProgressMode::plain) {
        plain_line(snapshot_.caption + " " + std::to_string(percent) + "%");
        return;
    }
    output_.json_line(event("progress")
                          .add("step", snapshot_.caption)
                          .add_number("percent", percent)
                          .add_number("position", snapshot_.position)
                          .add_number("max", snapshot_.max));
}

void ProgressRenderer::end() {
    if (active_ && mode_ == ProgressMode::terminal && board_line_ == nullptr) {
        output_.end_progress();
    }
    active_ = false;
}

}  // namespace hx4x
