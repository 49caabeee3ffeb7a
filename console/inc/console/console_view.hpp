#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "console/console_output.hpp"
#include "console/console_presenter.hpp"
#include "console/progress_renderer.hpp"
#include "ui/update_controller.hpp"
#include "ui/update_view.hpp"

namespace hx4x {

// The update controller's window, on a console. The console is on page 1 for an instrument
// search and on page 2 for an update; nothing else switches pages. The only events are
// interrupts (Ctrl-C): a new one is taken as a cancel key at the controller's next safe
// point, between blocks; during the burn it is refused with a warning instead.
class ConsoleView : public UpdateView {
  public:
    // Interrupts received so far; only its growth matters.
    using InterruptCount = std::function<unsigned()>;

    ConsoleView(ProgressRenderer& progress, ConsolePresenter& presenter, InterruptCount interrupts);

    void attach(UpdateController& controller) { controller_ = &controller; }
    void set_page(int page) { page_ = page; }
    void set_file_box(std::string file) { file_box_ = std::move(file); }
    // The counter the run works with, named in every JSON event from now on.
    void set_resource(const std::string& resource) {
        progress_.set_resource(resource);
        presenter_.set_resource(resource);
    }

    // An interrupt has arrived that was neither taken as a cancel nor refused.
    bool interrupt_pending() const { return interrupts_() != interrupts_seen_; }

    // Messages are held instead of shown until release_messages (the console decides what an
    // empty search means before the operator hears of it); holding off shows them at once.
    void hold_messages(bool hold);
    // Shows the held messages, or with discard forgets them.
    void release_messages(bool discard);

    // The last text shown, for the closing JSON object.
    const std::string& last_message() const { return last_message_; }
    const std::vector<std::string>& instruments() const { return list_; }

    int current_page() const override { return page_; }
    void show_page(int page) override { page_ = page; }

    void set_status(const std::string& text) override;
    void set_progress_range(std::uint32_t max) override;
    std::uint32_t progress_max() const override { return progress_max_; }
    void set_progress(std::uint32_t position) override;

    std::unique_ptr<ViewEvent> take_event() override;
    void dispatch(std::unique_ptr<ViewEvent> event) override;
    void drain_paint_events() override;

    void show_message(MessageKind kind, const std::string& text) override;
    bool ask_yes_no(const std::string& text) override;

    void enter_busy_state() override {}
    void leave_busy_state() override;
    void hide_cancel() override { burning_ = true; }

    void list_clear() override;
    void list_add(const std::string& text) override { list_.push_back(text); }
    std::size_t list_count() const override { return list_.size(); }
    void list_select(std::size_t index) override { selected_ = index; }
    std::string list_selected_text() const override;

    bool refresh_identification() override;
    std::vector<IdentificationRow> identification_rows() const override { return rows_; }

    // No recent files or settings are kept on a console: several stations may run at once.
    std::string file_box_text() const override { return file_box_; }

  private:
    ProgressRenderer& progress_;
    ConsolePresenter& presenter_;
    InterruptCount interrupts_;
    unsigned interrupts_seen_ = 0;
    UpdateController* controller_ = nullptr;
    int page_ = page_instruments;
    bool burning_ = false;
    std::uint32_t progress_max_ = 0;
    std::vector<std::string> list_;
    std::size_t selected_ = 0;
    std::vector<IdentificationRow> rows_;
    std::string file_box_;
    std::string last_message_;
    bool holding_ = false;
    std::vector<std::pair<MessageKind, std::string>> held_;
};

}  // namespace hx4x
