// The wizard's operations on the dialog's controls, and the message pumping of a running step.
#include "ui_win32/loader_dialog.hpp"

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <cstdint>

#include "AuxLib/operator_message.hpp"
#include "app/version_info.hpp"
#include "control_ids.hpp"
#include "platform/module_path.hpp"
#include "platform/program_resource.hpp"
#include "readme_box.hpp"
#include "ui/product_text.hpp"
#include "ui/readme_page.hpp"
#include "window_text.hpp"

namespace hx4x::win32 {

namespace {

// One message taken from the thread's queue, opaque to the controller but for the cancel
// keys.
class QueuedMessage : public ViewEvent {
  public:
    explicit QueuedMessage(const MSG& message) : message_(message) {}
    bool is_cancel_key() const override {
        return message_.message == WM_KEYDOWN &&
               (message_.wParam == VK_RETURN || message_.wParam == VK_ESCAPE);
    }
    MSG& message() { return message_; }

  private:
    MSG message_;
};

// The text of a list box or combo box entry; the two messages differ only in their numbers.
std::string entry_text(HWND box, UINT length_message, UINT text_message, WPARAM index) {
    const LRESULT length = SendMessageA(box, length_message, index, 0);
    if (length < 0) {
        return {};
    }
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const LRESULT copied =
        SendMessageA(box, text_message, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied < 0 ? 0 : static_cast<std::size_t>(copied));
    return text;
}

}  // namespace

Extent LoaderDialog::control_size(Control which) const {
    return sizes_[static_cast<std::size_t>(which)];
}

Extent LoaderDialog::logo_size() const {
    return {logo_.width(), logo_.height()};
}

Extent LoaderDialog::background_size() const {
    return {background_.width(), background_.height()};
}

void LoaderDialog::set_client_size(Extent size) {
    RECT outer{};
    RECT inner{};
    GetWindowRect(window_, &outer);
    GetClientRect(window_, &inner);
    // The frame's own width and height come on top of the client area.
    const int frame_width = (outer.right - outer.left) - inner.right;
    const int frame_height = (outer.bottom - outer.top) - inner.bottom;
    SetWindowPos(window_, nullptr, 0, 0, size.width + frame_width, size.height + frame_height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void LoaderDialog::set_title(const std::string& title) {
    SetWindowTextA(window_, title.c_str());
}

void LoaderDialog::load_readme() {
    VersionInfo version;
    version.read(platform::module_path());
    fill_readme_box(control(Control::readme),
                    platform::program_resource(readme_resource_name, platform::rtf_document_type),
                    product_text(version), release_file_name(version));
}

void LoaderDialog::rewind_readme() {
    HWND readme = control(Control::readme);
    CHARRANGE start{0, 0};
    SendMessageA(readme, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&start));
    SendMessageA(readme, EM_SCROLLCARET, 0, 0);
}

void LoaderDialog::accept_drops() {
    DragAcceptFiles(window_, TRUE);
}

void LoaderDialog::place_controls(const Placement& placement) {
    for (std::size_t i = 0; i < control_count; ++i) {
        const auto which = static_cast<Control>(i);
        const std::optional<Rect>& rect = placement[which];
        if (!rect) {
            ShowWindow(controls_[i], SW_HIDE);
            continue;
        }
        // A combo box's height is its closed height and its list's together.
        const int height = rect->height + (which == Control::file_box ? file_list_height_ : 0);
        SetWindowPos(controls_[i], nullptr, rect->x, rect->y, rect->width, height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        ShowWindow(controls_[i], SW_SHOW);
    }
}

void LoaderDialog::hide_control(Control which) {
    ShowWindow(control(which), SW_HIDE);
}

void LoaderDialog::set_enabled(Control which, bool enabled) {
    EnableWindow(control(which), enabled ? TRUE : FALSE);
}

void LoaderDialog::make_default(Control button) {
    SendMessageA(window_, DM_SETDEFID, static_cast<WPARAM>(control_id(button)), 0);
    // Through the dialog manager, which also moves the default look to the focused button.
    SendMessageA(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control(button)), TRUE);
}

void LoaderDialog::set_tab_order(const std::vector<Control>& order) {
    // Tab in a dialog walks the controls in their z-order.
    HWND after = HWND_TOP;
    for (const Control which : order) {
        SetWindowPos(control(which), after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        after = control(which);
    }
}

void LoaderDialog::set_instruments_caption(const std::string& text) {
    SetWindowTextA(control(Control::instruments_label), text.c_str());
}

void LoaderDialog::show_identification(const std::vector<IdentificationRow>& rows) {
    HWND view = control(Control::identification);
    SendMessageA(view, LVM_DELETEALLITEMS, 0, 0);
    for (std::size_t row = 0; row < rows.size(); ++row) {
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(row);
        item.pszText = const_cast<char*>(rows[row].label.c_str());
        const LRESULT at = SendMessageA(view, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        item.iSubItem = 1;
        item.pszText = const_cast<char*>(rows[row].value.c_str());
        SendMessageA(view, LVM_SETITEMTEXTA, static_cast<WPARAM>(at),
                     reinterpret_cast<LPARAM>(&item));
        SendMessageA(view, LVM_REDRAWITEMS, static_cast<WPARAM>(at), at);
    }
}

void LoaderDialog::show_recent_files(const std::vector<std::string>& entries,
                                     std::optional<std::size_t> selected) {
    HWND box = control(Control::file_box);
    SendMessageA(box, CB_RESETCONTENT, 0, 0);
    // Inserted where the wizard has them: the box would sort what is added.
    for (std::size_t i = 0; i < entries.size(); ++i) {
        SendMessageA(box, CB_INSERTSTRING, i, reinterpret_cast<LPARAM>(entries[i].c_str()));
    }
    SendMessageA(box, CB_SETCURSEL, selected ? static_cast<WPARAM>(*selected) : WPARAM(-1), 0);
    if (!selected) {
        SetWindowTextA(box, "");
    }
}

std::string LoaderDialog::file_box_text() const {
    HWND box = control(Control::file_box);
    // Typing over the edit field clears the box's selection, so a selected entry is what
    // the field shows, even before the box has copied a new choice into it.
    const LRESULT selected = SendMessageA(box, CB_GETCURSEL, 0, 0);
    if (selected >= 0) {
        return entry_text(box, CB_GETLBTEXTLEN, CB_GETLBTEXT, static_cast<WPARAM>(selected));
    }
    return window_text(box);
}

void LoaderDialog::repaint_now() {
    RedrawWindow(window_, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void LoaderDialog::post_request(WizardRequest request) {
    PostMessageA(
        window_,
        request == WizardRequest::auto_start ? auto_start_message : initial_refresh_message, 0, 0);
}

void LoaderDialog::close_dialog() {
    EndDialog(window_, IDOK);
}

void LoaderDialog::set_status(const std::string& text) {
    SetWindowTextA(control(Control::status), text.c_str());
    repaint_now();
}

void LoaderDialog::set_progress_range(std::uint32_t max) {
    SendMessageA(control(Control::progress), PBM_SETRANGE32, 0,
                 static_cast<LPARAM>(std::min<std::uint32_t>(max, INT32_MAX)));
}

std::uint32_t LoaderDialog::progress_max() const {
    const LRESULT max = SendMessageA(control(Control::progress), PBM_GETRANGE, FALSE, 0);
    return max > 0 ? static_cast<std::uint32_t>(max) : 0;
}

void LoaderDialog::set_progress(std::uint32_t position) {
    SendMessageA(control(Control::progress), PBM_SETPOS,
                 static_cast<WPARAM>(std::min<std::uint32_t>(position, INT32_MAX)), 0);
}

std::unique_ptr<ViewEvent> LoaderDialog::take_event() {
    MSG message{};
    if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE) == 0) {
        return nullptr;
    }
    if (message.message == WM_QUIT) {
        // Not ours to take: the modal loop around the step must still see it.
        PostQuitMessage(static_cast<int>(message.wParam));
        return nullptr;
    }
    return std::make_unique<QueuedMessage>(message);
}

void LoaderDialog::dispatch(std::unique_ptr<ViewEvent> event) {
    auto* queued = dynamic_cast<QueuedMessage*>(event.get());
    if (queued == nullptr) {
        return;
    }
    MSG& message = queued->message();
    if (window_ == nullptr || IsDialogMessageA(window_, &message) == 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void LoaderDialog::drain_paint_events() {
    MSG message{};
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE) != 0) {
        if (message.message == WM_PAINT) {
            DispatchMessageA(&message);
        } else if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        // Everything else is thrown away: input here must never reach the window later.
    }
}

void LoaderDialog::show_message(MessageKind kind, const std::string& text) {
    OperatorMessage(kind, text).set_owner(window_).show();
}

bool LoaderDialog::ask_yes_no(const std::string& text) {
    return OperatorMessage(MessageKind::question, text).set_owner(window_).ask() ==
           platform::answer_yes;
}

void LoaderDialog::list_clear() {
    SendMessageA(control(Control::instruments), LB_RESETCONTENT, 0, 0);
}

void LoaderDialog::list_add(const std::string& text) {
    SendMessageA(control(Control::instruments), LB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(text.c_str()));
}

std::size_t LoaderDialog::list_count() const {
    const LRESULT count = SendMessageA(control(Control::instruments), LB_GETCOUNT, 0, 0);
    return count > 0 ? static_cast<std::size_t>(count) : 0;
}

void LoaderDialog::list_select(std::size_t index) {
    // Unlike the operator's choice, this tells nobody.
    SendMessageA(control(Control::instruments), LB_SETCURSEL, index, 0);
}

std::string LoaderDialog::list_selected_text() const {
    HWND list = control(Control::instruments);
    const LRESULT selected = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (selected < 0) {
        return {};
    }
    return entry_text(list, LB_GETTEXTLEN, LB_GETTEXT, static_cast<WPARAM>(selected));
}

}  // namespace hx4x::win32
