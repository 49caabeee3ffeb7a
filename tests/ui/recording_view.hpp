#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/update_controller.hpp"

namespace hx4x::testing_support {

// A window for the controller's tests: it records every call, keeps a scripted event queue
// and answers questions with a scripted value.
class RecordingView : public LoaderView {
  public:
    enum class Kind {
        cancel_key,
        cancel_click,
        close_request,
        drop,
        auto_start,
        start_click,
        refresh_click,
        selection_change,
        other
    };

    struct Event : ViewEvent {
        Event(Kind k, std::string p) : kind(k), path(std::move(p)) {}
        bool is_cancel_key() const override { return kind == Kind::cancel_key; }
        Kind kind;
        std::string path;
    };

    struct Message {
        MessageKind kind;
        std::string text;
    };

    void attach(UpdateController& controller) { controller_ = &controller; }

    // Delivers this event at the first take_event while the status caption is `caption`.
    void on_status(const std::string& caption, Kind kind, std::string path = {}) {
        scripted_[caption].emplace_back(kind, std::move(path));
    }
    // Scripted events for `caption` that no take_event has taken yet.
    std::size_t scripted_left(const std::string& caption) const {
        const auto it = scripted_.find(caption);
        return it == scripted_.end() ? 0 : it->second.size();
    }
    void post(Kind kind, std::string path = {}) {
        queue_.push_back(std::make_unique<Event>(kind, std::move(path)));
    }
    // Handles posted auto-start requests as the window's own event loop would.
    void run_posted_events() {
        while (!queue_.empty()) {
            auto event = std::move(queue_.front());
            queue_.pop_front();
            dispatch(std::move(event));
        }
    }

    int current_page() const override { return page; }
    void show_page(int n) override {
        calls.push_back("show_page " + std::to_string(n));
        if (n == page_update && refuse_update_page) {
            return;
        }
        page = n;
    }
    void set_status(const std::string& text) override {
        status = text;
        statuses.push_back(text);
    }
    void set_progress_range(std::uint32_t max) override { range = max; }
    std::uint32_t progress_max() const override { return range; }
    void set_progress(std::uint32_t position) override {
        progress.push_back(position);
        if (position > range) {
            progress_overflow = true;
        }
    }
    std::unique_ptr<ViewEvent> take_event() override {
        auto it = scripted_.find(status);
        if (it != scripted_.end() && !it->second.empty()) {
            auto event = std::make_unique<Event>(it->second.front());
            it->second.erase(it->second.begin());
            return event;
        }
        if (queue_.empty()) {
            return nullptr;
        }
        auto event = std::move(queue_.front());
        queue_.pop_front();
        return event;
    }
    void dispatch(std::unique_ptr<ViewEvent> event) override {
        const auto& e = static_cast<const Event&>(*event);
        switch (e.kind) {
            case Kind::cancel_click:
            case Kind::close_request:
                controller_->request_close();
                break;
            case Kind::drop:
                controller_->file_dropped(e.path);
                break;
            case Kind::auto_start:
                controller_->auto_start();
                break;
            case Kind::start_click:
                controller_->start_update();
                break;
            case Kind::refresh_click:
                controller_->refresh_instruments();
                controller_->open_selected_counter();
                break;
            case Kind::selection_change:
                controller_->instrument_selected();
                break;
            default:
                ++dispatched_other;
        }
    }
    void drain_paint_events() override {
        ++drains;
        ++drains_during[status];
        queue_.clear();
    }
    void show_message(MessageKind kind, const std::string& text) override {
        messages.push_back({kind, text});
    }
    bool ask_yes_no(const std::string& text) override {
        questions.push_back(text);
        return answer_yes;
    }
    void enter_busy_state() override { calls.push_back("enter_busy_state"); }
    void leave_busy_state() override { calls.push_back("leave_busy_state"); }
    void hide_cancel() override { calls.push_back("hide_cancel"); }

    void list_clear() override {
        list.clear();
        selected = 0;
    }
    void list_add(const std::string& text) override { list.push_back(text); }
    std::size_t list_count() const override { return list.size(); }
    void list_select(std::size_t index) override { selected = index; }
    std::string list_selected_text() const override {
        return selected < list.size() ? list[selected] : std::string();
    }

    bool refresh_identification() override {
        calls.push_back("refresh_identification");
        return controller_->rebuild_identification(rows);
    }
    std::vector<IdentificationRow> identification_rows() const override { return rows; }

    std::string file_box_text() const override { return file_box; }
    void remember_file(const std::string& name) override {
        remembered.push_back(name);
        file_box = name;
    }
    void set_instruments_page_buttons(bool found) override {
        calls.push_back(found ? "buttons found" : "buttons none");
    }
    void save_settings() override { calls.push_back("save_settings"); }
    void close_window() override { calls.push_back("close_window"); }
    void post_auto_start() override { post(Kind::auto_start); }

    int page = page_update;
    bool refuse_update_page = false;
    bool answer_yes = true;
    std::string status;
    std::vector<std::string> statuses;
    std::uint32_t range = 0;
    std::vector<std::uint32_t> progress;
    bool progress_overflow = false;
    std::vector<Message> messages;
    std::vector<std::string> questions;
    std::vector<std::string> calls;
    std::vector<std::string> list;
    std::size_t selected = 0;
    std::vector<IdentificationRow> rows;
    std::string file_box;
    std::vector<std::string> remembered;
    int drains = 0;
    std::map<std::string, int> drains_during;  // by the status caption shown at the time
    int dispatched_other = 0;

  private:
    UpdateController* controller_ = nullptr;
    std::map<std::string, std::vector<Event>> scripted_;
    std::deque<std::unique_ptr<Event>> queue_;
};

}  // namespace hx4x::testing_support
