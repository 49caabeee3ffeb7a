#include "ui_win32/loader_dialog.hpp"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <utility>

#include "caption_painter.hpp"
#include "control_ids.hpp"
#include "window_text.hpp"

namespace hx4x::win32 {

namespace {

// The file box's choice is taken once the box has shown it in its edit field, which it does
// only after telling its parent about the new selection.
constexpr UINT file_box_accepted_message = WM_APP + 3;
// The file box's list holds this many recent files before it scrolls; the template's height
// would show two.
constexpr int file_list_lines = 8;
constexpr int identification_label_width = 130;
constexpr int identification_value_width = 250;
// What the system's open-file dialog takes, the terminating zero included.
constexpr std::size_t browse_buffer_size = 260;

HINSTANCE program_instance() {
    return GetModuleHandleA(nullptr);
}

// The window classes of the template that the system does not register by itself.
bool register_control_classes() {
    static const bool registered = [] {
        INITCOMMONCONTROLSEX classes{sizeof classes, ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&classes);
        return LoadLibraryA("Riched20.dll") != nullptr;
    }();
    return registered;
}

HICON load_icon(int size) {
    return static_cast<HICON>(
        LoadImageA(program_instance(), MAKEINTRESOURCEA(IDI_LOADER), IMAGE_ICON, size, size, 0));
}

// A dialog procedure hands a message's result back through the window's result slot.
INT_PTR answer(HWND window, LRESULT result) {
    SetWindowLongPtrA(window, DWLP_MSGRESULT, result);
    return TRUE;
}

}  // namespace

LoaderDialog::LoaderDialog(LoaderIdentity identity)
    : identity_(std::move(identity)),
      wizard_(*this),
      logo_(identity_.pictures.logo),
      background_(identity_.pictures.background),
      icon_(load_icon(GetSystemMetrics(SM_CXICON))),
      small_icon_(load_icon(GetSystemMetrics(SM_CXSMICON))) {
    wizard_.set_title(identity_.program_name);
    LOGBRUSH hollow{BS_NULL, 0, 0};
    hollow_brush_ = CreateBrushIndirect(&hollow);
}

LoaderDialog::~LoaderDialog() {
    if (window_ != nullptr && !modal_) {
        DestroyWindow(window_);
    }
    for (HICON icon : {icon_, small_icon_}) {
        if (icon != nullptr) {
            DestroyIcon(icon);
        }
    }
    if (hollow_brush_ != nullptr) {
        DeleteObject(hollow_brush_);
    }
    if (caption_font_ != nullptr) {
        DeleteObject(caption_font_);
    }
}

bool LoaderDialog::run() {
    if (!register_control_classes()) {
        return false;
    }
    modal_ = true;
    const INT_PTR result =
        DialogBoxParamA(program_instance(), MAKEINTRESOURCEA(IDD_LOADER_DIALOG), nullptr,
                        dialog_procedure, reinterpret_cast<LPARAM>(this));
    modal_ = false;
    return result != -1;
}

HWND LoaderDialog::create() {
    if (!register_control_classes()) {
        return nullptr;
    }
    return CreateDialogParamA(program_instance(), MAKEINTRESOURCEA(IDD_LOADER_DIALOG), nullptr,
                              dialog_procedure, reinterpret_cast<LPARAM>(this));
}

HWND LoaderDialog::control(Control which) const {
    return controls_[static_cast<std::size_t>(which)];
}

INT_PTR CALLBACK LoaderDialog::dialog_procedure(HWND window, UINT message, WPARAM wparam,
                                                LPARAM lparam) {
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<LoaderDialog*>(lparam);
        SetWindowLongPtrA(window, DWLP_USER, lparam);
        dialog->initialise_dialog(window);
        // The wizard has given the focus to the page's default button.
        return FALSE;
    }
    auto* dialog = reinterpret_cast<LoaderDialog*>(GetWindowLongPtrA(window, DWLP_USER));
    if (dialog == nullptr) {
        return FALSE;
    }
    if (message == WM_DESTROY) {
        dialog->window_ = nullptr;
        return FALSE;
    }
    return dialog->handle_message(message, wparam, lparam).value_or(FALSE);
}

std::optional<INT_PTR> LoaderDialog::handle_message(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_COMMAND:
            command(LOWORD(wparam), HIWORD(wparam));
            return TRUE;
        case WM_CLOSE:
            wizard_.close_requested();
            return TRUE;
        case auto_start_message:
            wizard_.request(WizardRequest::auto_start);
            return TRUE;
        case initial_refresh_message:
            wizard_.request(WizardRequest::initial_refresh);
            return TRUE;
        case file_box_accepted_message:
            wizard_.file_box_accepted();
            return TRUE;
        case WM_DROPFILES:
            dropped(reinterpret_cast<HDROP>(wparam));
            return TRUE;
        case WM_ERASEBKGND:
            if (IsIconic(window_)) {
                return std::nullopt;
            }
            return answer(window_, erase_background(reinterpret_cast<HDC>(wparam)));
        case WM_PAINT:
            if (!IsIconic(window_)) {
                return std::nullopt;
            }
            paint_minimised();
            return TRUE;
        case WM_QUERYDRAGICON:
            return reinterpret_cast<INT_PTR>(icon_);
        case WM_NCHITTEST: {
            // No title bar: any free spot of the picture drags the window. Captions let the
            // press through to here, buttons and boxes keep it.
            POINT point{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
            RECT client{};
            GetClientRect(window_, &client);
            ScreenToClient(window_, &point);
            if (PtInRect(&client, point) == 0) {
                return std::nullopt;
            }
            return answer(window_, HTCAPTION);
        }
        case WM_CTLCOLORSTATIC: {
            // The captions; the file box's own edit field asks too when it is disabled, and
            // keeps the system's colours.
            const auto label = reinterpret_cast<HWND>(lparam);
            if (GetParent(label) != window_ || !is_caption_id(GetDlgCtrlID(label))) {
                return std::nullopt;
            }
            const auto dc = reinterpret_cast<HDC>(wparam);
            SetTextColor(dc, RGB(255, 255, 255));
            SetBkMode(dc, TRANSPARENT);
            return reinterpret_cast<INT_PTR>(hollow_brush_);
        }
        case WM_DRAWITEM:
            if (!is_caption_id(static_cast<int>(wparam))) {
                return std::nullopt;
            }
            draw_caption(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
            return TRUE;
        default:
            return std::nullopt;
    }
}

void LoaderDialog::initialise_dialog(HWND window) {
    window_ = window;
    for (std::size_t i = 0; i < control_count; ++i) {
        controls_[i] = GetDlgItem(window, control_ids[i]);
        RECT rect{};
        GetWindowRect(controls_[i], &rect);
        sizes_[i] = {rect.right - rect.left, rect.bottom - rect.top};
    }
    caption_font_ =
        make_caption_font(reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0)));
    for (std::size_t i = 0; i < control_count; ++i) {
        if (!is_caption(static_cast<Control>(i))) {
            continue;
        }
        // The template size, unless the font needs more for the caption and its outline.
        const SIZE needed = caption_extent(controls_[i], window_text(controls_[i]), caption_font_);
        sizes_[i].width = std::max(sizes_[i].width, static_cast<int>(needed.cx));
        sizes_[i].height = std::max(sizes_[i].height, static_cast<int>(needed.cy));
    }
    const auto line_height =
        static_cast<int>(SendMessageA(control(Control::file_box), CB_GETITEMHEIGHT, 0, 0));
    file_list_height_ = std::max(line_height, 1) * file_list_lines + 2;

    HWND identification = control(Control::identification);
    const std::pair<const char*, int> columns[] = {{"Parameter", identification_label_width},
                                                   {"Value", identification_value_width}};
    for (int i = 0; i < 2; ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = columns[i].second;
        column.pszText = const_cast<char*>(columns[i].first);
        SendMessageA(identification, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(&column));
    }
    SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small_icon_));
    wizard_.initialise();
    // Shown now, not when the dialog loop first idles: the request just posted may open a
    // box at once (the start option), which must stand over a visible window to take keys.
    ShowWindow(window, SW_SHOW);
}

void LoaderDialog::command(int id, int notification) {
    switch (id) {
        case IDC_NEXT:
            wizard_.next();
            break;
        case IDC_BACK:
            wizard_.back();
            break;
        case IDC_START:
            wizard_.start();
            break;
        case IDC_REFRESH:
            wizard_.refresh();
            break;
        case IDC_BROWSE:
            browse();
            break;
        // Escape outside an update comes as IDCANCEL: as Exit, so the settings are kept.
        case IDC_EXIT:
        case IDC_CANCEL_UPDATE:
        case IDCANCEL:
            wizard_.close_requested();
            break;
        case IDC_INSTRUMENTS:
            if (notification == LBN_SELCHANGE) {
                wizard_.instrument_selected();
            }
            break;
        case IDC_FILE_BOX: {
            // Taken from the list with the mouse or Enter, or stepped to with the arrow keys
            // while the list is closed.
            const bool dropped =
                SendMessageA(control(Control::file_box), CB_GETDROPPEDSTATE, 0, 0) != 0;
            if (notification == CBN_SELENDOK || (notification == CBN_SELCHANGE && !dropped)) {
                PostMessageA(window_, file_box_accepted_message, 0, 0);
            }
            break;
        }
        default:
            break;
    }
}

void LoaderDialog::browse() {
    const BrowseStart start = wizard_.browse_start();
    char file[browse_buffer_size] = {};
    start.name.copy(file, browse_buffer_size - 1);
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = window_;
    dialog.lpstrFilter = "Hexadecimal File (*.hex)\0*.hex\0All Files (*.*)\0*.*\0";
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file;
    dialog.nMaxFile = browse_buffer_size;
    dialog.lpstrInitialDir = start.folder.empty() ? nullptr : start.folder.c_str();
    dialog.lpstrTitle = "Browse...";
    dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (GetOpenFileNameA(&dialog) != 0) {
        wizard_.file_browsed(file);
    }
}

void LoaderDialog::dropped(HDROP drop) {
    char file[browse_buffer_size] = {};
    // Only the first of the dropped files counts.
    const UINT length = DragQueryFileA(drop, 0, file, sizeof file);
    DragFinish(drop);
    if (length > 0) {
        wizard_.file_dropped(std::string(file, length));
    }
}

void LoaderDialog::paint_pictures(HDC dc, POINT origin) const {
    RECT area{};
    GetClientRect(window_, &area);
    OffsetRect(&area, -origin.x, -origin.y);
    FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));
    if (logo_.bitmap() != nullptr) {
        DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(logo_.bitmap()), 0, -origin.x,
                   -origin.y, 0, 0, DST_BITMAP);
    }
    if (background_.bitmap() != nullptr) {
        DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(background_.bitmap()), 0,
                   -origin.x, logo_.height() - origin.y, 0, 0, DST_BITMAP);
    }
}

bool LoaderDialog::erase_background(HDC dc) {
    paint_pictures(dc, POINT{0, 0});
    return true;
}

void LoaderDialog::paint_minimised() {
    PAINTSTRUCT paint{};
    const HDC dc = BeginPaint(window_, &paint);
    RECT client{};
    GetClientRect(window_, &client);
    DrawIcon(dc, (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2,
             (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2, icon_);
    EndPaint(window_, &paint);
}

void LoaderDialog::draw_caption(const DRAWITEMSTRUCT& item) {
    // The caption paints the picture under itself first, so a new text never lands on the
    // old one, whoever repaints it.
    POINT origin{0, 0};
    MapWindowPoints(item.hwndItem, window_, &origin, 1);
    paint_pictures(item.hDC, origin);
    draw_outlined_caption(item.hDC, item.rcItem, window_text(item.hwndItem), caption_font_);
}

}  // namespace hx4x::win32
