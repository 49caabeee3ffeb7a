#pragma once

#include <windows.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/loader_startup.hpp"
#include "ui/loader_wizard.hpp"
#include "ui/wizard_window.hpp"
#include "ui_win32/dib_picture.hpp"

namespace hx4x::win32 {

// The program's window on the Win32 dialog manager: dialog template 102, a borderless dialog
// whose client area is the logo band over the background picture, with the controls laid
// over it. It puts the controls where the wizard says and turns the dialog's messages into
// the wizard's calls; every decision is the wizard's or its controller's.
class LoaderDialog : public WizardWindow {
  public:
    // The two requests the window posts to itself, automatic start first.
    static constexpr UINT auto_start_message = WM_APP + 1;
    static constexpr UINT initial_refresh_message = WM_APP + 2;

    explicit LoaderDialog(LoaderIdentity identity);
    ~LoaderDialog() override;
    LoaderDialog(const LoaderDialog&) = delete;
    LoaderDialog& operator=(const LoaderDialog&) = delete;

    LoaderWizard& wizard() { return wizard_; }
    const LoaderWizard& wizard() const { return wizard_; }

    // Runs the window modally until it closes; false when the system could not make it.
    bool run();
    // Opens the window without a modal loop of its own (hidden until shown), for a caller
    // that pumps the messages itself; null when the system could not make it.
    HWND create();

    HWND handle() const { return window_; }
    HWND control(Control which) const;

    // WizardWindow
    Extent control_size(Control which) const override;
    Extent logo_size() const override;
    Extent background_size() const override;
    void set_client_size(Extent size) override;
    void set_title(const std::string& title) override;
    void load_readme() override;
    void rewind_readme() override;
    void accept_drops() override;
    void place_controls(const Placement& placement) override;
    void hide_control(Control which) override;
    void set_enabled(Control which, bool enabled) override;
    void make_default(Control button) override;
    void set_tab_order(const std::vector<Control>& order) override;
    void set_instruments_caption(const std::string& text) override;
    void show_identification(const std::vector<IdentificationRow>& rows) override;
    void show_recent_files(const std::vector<std::string>& entries,
                           std::optional<std::size_t> selected) override;
    std::string file_box_text() const override;
    void repaint_now() override;
    void post_request(WizardRequest request) override;
    void close_dialog() override;
    void set_status(const std::string& text) override;
    void set_progress_range(std::uint32_t max) override;
    std::uint32_t progress_max() const override;
    void set_progress(std::uint32_t position) override;
    std::unique_ptr<ViewEvent> take_event() override;
    void dispatch(std::unique_ptr<ViewEvent> event) override;
    void drain_paint_events() override;
    void show_message(MessageKind kind, const std::string& text) override;
    bool ask_yes_no(const std::string& text) override;
    void list_clear() override;
    void list_add(const std::string& text) override;
    std::size_t list_count() const override;
    void list_select(std::size_t index) override;
    std::string list_selected_text() const override;

  private:
    static INT_PTR CALLBACK dialog_procedure(HWND window, UINT message, WPARAM wparam,
                                             LPARAM lparam);
    // The answer to one message; none leaves it to the dialog manager.
    std::optional<INT_PTR> handle_message(UINT message, WPARAM wparam, LPARAM lparam);
    void initialise_dialog(HWND window);
    void command(int id, int notification);
    void browse();
    void dropped(HDROP drop);
    bool erase_background(HDC dc);
    void paint_minimised();
    void draw_caption(const DRAWITEMSTRUCT& item);
    // The pictures as they lie under a point of the client area, drawn at the DC's origin.
    void paint_pictures(HDC dc, POINT origin) const;

    LoaderIdentity identity_;
    LoaderWizard wizard_;
    HWND window_ = nullptr;
    bool modal_ = false;
    std::array<HWND, control_count> controls_{};
    std::array<Extent, control_count> sizes_{};
    // The file box is given this much more than its closed height, for its list.
    int file_list_height_ = 0;
    DibPicture logo_;
    DibPicture background_;
    HICON icon_ = nullptr;
    HICON small_icon_ = nullptr;
    HBRUSH hollow_brush_ = nullptr;
    HFONT caption_font_ = nullptr;
};

}  // namespace hx4x::win32
