#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/options_receiver.hpp"
#include "ui/loader_settings.hpp"
#include "ui/loader_view.hpp"
#include "ui/page_layout.hpp"
#include "ui/recent_files.hpp"
#include "ui/update_controller.hpp"
#include "ui/wizard_window.hpp"

namespace hx4x {

// Where the Browse dialog starts: the current file's folder and name, each cut to what the
// system's open-file dialog takes.
struct BrowseStart {
    std::string folder;
    std::string name;
};

// The three-page wizard of the loader window, free of any toolkit: the order of the window's
// initialisation, the pages and where their controls stand, Next and Back, the busy state,
// the file box's recent files and the settings. It is the update controller's view and
// hands every widget operation to the dialog it was made for; the dialog only translates its
// toolkit's events into the calls below.
class LoaderWizard : public LoaderView, public OptionsReceiver {
  public:
    explicit LoaderWizard(WizardWindow& window);
    LoaderWizard(const LoaderWizard&) = delete;
    LoaderWizard& operator=(const LoaderWizard&) = delete;

    UpdateController& controller() { return controller_; }
    const UpdateController& controller() const { return controller_; }
    const LoaderSettings& settings() const { return settings_; }
    const RecentFiles& recent_files() const { return recent_; }
    const ClientArea& client() const { return client_; }
    // The program name, the window's title.
    void set_title(const std::string& title) { title_ = title; }

    // Fills the window and posts the first request, as a newly opened window does.
    void initialise();

    // The window's events.
    void next();
    void back();
    void start();
    void refresh();
    // Exit, Cancel, the window's close request and Escape outside an update.
    void close_requested();
    void instrument_selected();
    // The operator accepted an entry of the file box (chosen from its list or confirmed).
    void file_box_accepted();
    BrowseStart browse_start() const;
    // The operator chose this file in the Browse dialog.
    void file_browsed(const std::string& path);
    // The first of the files dropped on the window.
    void file_dropped(const std::string& path);
    void request(WizardRequest request);

    // OptionsReceiver
    void set_settings_file(const std::string& path) override;
    void set_firmware_file(const std::string& path) override;
    void set_mask(const std::string& mask) override;
    void set_selected_address(const std::string& address) override;
    void set_start(bool start) override;
    void set_skip_readme(bool skip) override;
    void set_skip_burning(bool skip) override;
    void set_dump_sending(bool dump) override;
    void set_dump_firmware(bool dump) override;

    // LoaderView
    int current_page() const override { return page_; }
    void show_page(int page) override;
    void set_status(const std::string& text) override { window_.set_status(text); }
    void set_progress_range(std::uint32_t max) override { window_.set_progress_range(max); }
    std::uint32_t progress_max() const override { return window_.progress_max(); }
    void set_progress(std::uint32_t position) override { window_.set_progress(position); }
    std::unique_ptr<ViewEvent> take_event() override { return window_.take_event(); }
    void dispatch(std::unique_ptr<ViewEvent> event) override { window_.dispatch(std::move(event)); }
    void drain_paint_events() override { window_.drain_paint_events(); }
    void show_message(MessageKind kind, const std::string& text) override {
        window_.show_message(kind, text);
    }
    bool ask_yes_no(const std::string& text) override { return window_.ask_yes_no(text); }
    void enter_busy_state() override;
    void leave_busy_state() override;
    void hide_cancel() override { window_.hide_control(Control::cancel); }
    void list_clear() override { window_.list_clear(); }
    void list_add(const std::string& text) override { window_.list_add(text); }
    std::size_t list_count() const override { return window_.list_count(); }
    void list_select(std::size_t index) override { window_.list_select(index); }
    std::string list_selected_text() const override { return window_.list_selected_text(); }
    bool refresh_identification() override;
    std::vector<IdentificationRow> identification_rows() const override { return rows_; }
    std::string file_box_text() const override { return window_.file_box_text(); }
    void remember_file(const std::string& name) override;
    void set_instruments_page_buttons(bool found) override;
    void save_settings() override;
    void close_window() override { window_.close_dialog(); }
    void post_auto_start() override { window_.post_request(WizardRequest::auto_start); }

  private:
    // Shows the controls of one page; false when page 2 cannot show an open counter.
    bool place_page(int page);
    void switch_page(int page);
    void show_placement(const Placement& placement);
    void mirror_recent_files();

    WizardWindow& window_;
    UpdateController controller_;
    LoaderSettings settings_;
    RecentFiles recent_;
    std::vector<IdentificationRow> rows_;
    std::string title_;
    ControlSizes sizes_{};
    ClientArea client_;
    int page_ = page_readme;
    // The page whose controls stand in the window, accepted or not yet.
    int shown_page_ = page_readme;
    bool start_option_ = false;
    bool skip_readme_ = false;
    bool save_failure_reported_ = false;
};

}  // namespace hx4x
