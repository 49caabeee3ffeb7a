// The Win32 dialog against the emulated counter: what the dialog itself owns (the template
// sizes feeding the pages, the wiring of its messages, the pumping of a running step).
#include "ui_win32/loader_dialog.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/emulated_version.hpp"
#include "case_name.hpp"
#include "fake_clock.hpp"
#include "hex_text.hpp"
#include "instrument/clock.hpp"
#include "loader_dialog_ids.h"
#include "recording_presenter.hpp"
#include "temp_dir.hpp"
#include "ui/brand_pictures.hpp"
#include "ui/controller_texts.hpp"

namespace hx4x::win32 {
namespace {

namespace text = controller_text;
using testing_support::RecordingPresenter;
using testing_support::TempDir;

// A dialog whose status and bar changes can trigger a test's own input, as an operator
// would press keys while a step runs.
class ScriptedDialog : public LoaderDialog {
  public:
    using LoaderDialog::LoaderDialog;
    std::function<void(const std::string&)> on_status;
    std::function<void(std::uint32_t)> on_progress;
    void set_status(const std::string& caption) override {
        LoaderDialog::set_status(caption);
        if (on_status) {
            on_status(caption);
        }
    }
    void set_progress(std::uint32_t position) override {
        LoaderDialog::set_progress(position);
        if (on_progress) {
            on_progress(position);
        }
    }
};

RECT client_rect_of(HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

bool shown(HWND control) {
    return (GetWindowLongPtrA(control, GWL_STYLE) & WS_VISIBLE) != 0;
}

void post_key(HWND target, WPARAM key) {
    PostMessageA(target, WM_KEYDOWN, key, 1);
    PostMessageA(target, WM_KEYUP, key, 0xC0000001);
}

void post_click(HWND button) {
    PostMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    PostMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
}

class Win32LoaderDialogTest : public ::testing::Test {
  protected:
    Win32LoaderDialogTest() : scoped_clock_(clock_) {
        set_emulated_version(112);
        firmware_ = dir_.file("fw.hex");
        testing_support::write_file(firmware_, testing_support::firmware_hex_text("1.15"));
    }
    ~Win32LoaderDialogTest() override { set_emulated_version(0); }

    // Opens the window shown but not activated, as the start-up leaves it after its first
    // request; null when there is no desktop to open it on.
    std::unique_ptr<ScriptedDialog> open_window(bool skip_readme) {
        auto dialog = std::make_unique<ScriptedDialog>(
            LoaderIdentity{"HX-4x Firmware Loader", {}, program_brand_pictures("")});
        LoaderWizard& wizard = dialog->wizard();
        wizard.set_settings_file(settings_file());
        wizard.set_firmware_file(firmware_);
        wizard.set_mask("");
        wizard.set_selected_address("");
        wizard.set_start(false);
        wizard.set_skip_readme(skip_readme);
        wizard.set_skip_burning(false);
        wizard.set_dump_sending(false);
        wizard.set_dump_firmware(false);
        dialog_handle_ = dialog->create();
        if (dialog_handle_ == nullptr) {
            return nullptr;
        }
        ShowWindow(dialog->handle(), SW_SHOWNA);
        pump();
        return dialog;
    }

    // Delivers everything pending, as the dialog's own modal loop would.
    void pump() {
        MSG message{};
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE) != 0) {
            if (IsDialogMessageA(dialog_handle_, &message) == 0) {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
        }
    }

    static void click(const LoaderDialog& dialog, int id) {
        SendMessageA(dialog.handle(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog.handle(), id)));
    }

    // The window on the update page, with the emulated counter found.
    std::unique_ptr<ScriptedDialog> open_update_page() {
        auto dialog = open_window(true);
        if (dialog) {
            EXPECT_EQ(dialog->list_count(), 1u) << "the initial search lists the counter";
            click(*dialog, IDC_NEXT);
            EXPECT_EQ(dialog->wizard().current_page(), page_update);
        }
        return dialog;
    }

    std::string settings_file() const { return dir_.file("loader.ini"); }

    std::size_t boxes_starting(const std::string& head) const {
        return static_cast<std::size_t>(std::count_if(
            presenter_.boxes.begin(), presenter_.boxes.end(),
            [&](const MessageBoxRequest& box) { return box.text.rfind(head, 0) == 0; }));
    }

    FakeClock clock_;
    ScopedClock scoped_clock_;
    TempDir dir_;
    std::string firmware_;
    RecordingPresenter presenter_;
    HWND dialog_handle_ = nullptr;
};

TEST_F(Win32LoaderDialogTest, TheTemplateSizesFeedThePagesOnAClientAreaOfThePictures) {
    auto dialog = open_window(false);
    if (!dialog) {
        GTEST_SKIP() << "no desktop to open the window on (Wine without a display)";
    }
    RECT client{};
    GetClientRect(dialog->handle(), &client);
    EXPECT_EQ(client.right, 580);
    EXPECT_EQ(client.bottom, 388);
    EXPECT_NE(SendMessageA(dialog->handle(), WM_GETICON, ICON_BIG, 0), 0) << "icon resource 128";
    EXPECT_EQ(LOWORD(SendMessageA(dialog->handle(), DM_GETDEFID, 0, 0)), IDC_NEXT);

    click(*dialog, IDC_NEXT);
    click(*dialog, IDC_NEXT);
    ASSERT_EQ(dialog->wizard().current_page(), page_update);
    EXPECT_EQ(LOWORD(SendMessageA(dialog->handle(), DM_GETDEFID, 0, 0)), IDC_START);
    const RECT browse = client_rect_of(dialog->control(Control::browse));
    const RECT file_box = client_rect_of(dialog->control(Control::file_box));
    EXPECT_EQ(browse.right, 570);
    EXPECT_EQ(file_box.right, browse.left - 10);
    // The closed box stands centred on Browse; its list does not count.
    EXPECT_LE(std::abs((file_box.top + file_box.bottom) - (browse.top + browse.bottom)), 1)
        << "file box " << file_box.top << ".." << file_box.bottom << ", Browse " << browse.top
        << ".." << browse.bottom;
    EXPECT_EQ(dialog->file_box_text(), firmware_);
    EXPECT_FALSE(shown(dialog->control(Control::readme)));

    // Tab follows the z-order the page gave its controls: the page in reading order.
    std::vector<int> walk;
    HWND at = dialog->control(Control::start);
    for (int step = 0; step < 6; ++step) {
        at = GetNextDlgTabItem(dialog->handle(), at, FALSE);
        walk.push_back(GetDlgCtrlID(at));
    }
    EXPECT_EQ(walk, (std::vector<int>{IDC_IDENTIFICATION, IDC_FILE_BOX, IDC_BROWSE, IDC_EXIT,
                                      IDC_BACK, IDC_START}));
}

// Input during the burn is thrown away, never delivered later: held back and delivered
// after the run, the Escape would close the window and the click on Start (enabled again by
// then) would start a second update.
TEST_F(Win32LoaderDialogTest, AnUpdateRunsBusyAndInputDuringTheBurnIsThrownAway) {
    auto dialog = open_update_page();
    if (!dialog) {
        GTEST_SKIP() << "no desktop to open the window on (Wine without a display)";
    }
    bool busy_seen = false;
    dialog->on_status = [&](const std::string& caption) {
        if (caption == text::sending_caption) {
            busy_seen = shown(dialog->control(Control::cancel)) &&
                        !shown(dialog->control(Control::exit)) &&
                        IsWindowEnabled(dialog->control(Control::start)) == 0;
        } else if (caption == text::burning_caption) {
            HWND start = dialog->control(Control::start);
            post_key(start, VK_ESCAPE);
            post_click(start);
        }
    };
    click(*dialog, IDC_START);
    dialog->on_status = nullptr;
    EXPECT_TRUE(busy_seen);
    EXPECT_TRUE(dialog->wizard().controller().outcome().succeeded());
    EXPECT_EQ(boxes_starting(text::success_head), 1u);

    pump();
    EXPECT_EQ(boxes_starting(text::success_head), 1u) << "no second update";
    EXPECT_NE(dialog->handle(), nullptr);
    EXPECT_TRUE(IsWindowVisible(dialog->handle())) << "the Escape did not close the window";
    EXPECT_TRUE(testing_support::read_file(settings_file()).empty()) << "nor save the settings";
    EXPECT_TRUE(shown(dialog->control(Control::exit)));
    EXPECT_FALSE(shown(dialog->control(Control::cancel)));
}

// Cancel, Enter and Escape, pressed while sending, reach the run through the thread's queue
// and cancel it at the next safe point without closing the window.
struct CancelCase {
    const char* name;
    WPARAM key;  // 0: a click on Cancel
};

class CancelInTheDialog : public Win32LoaderDialogTest,
                          public ::testing::WithParamInterface<CancelCase> {};

TEST_P(CancelInTheDialog, StopsTheSending) {
    auto dialog = open_update_page();
    if (!dialog) {
        GTEST_SKIP() << "no desktop to open the window on (Wine without a display)";
    }
    bool sending = false;
    dialog->on_status = [&](const std::string& caption) {
        sending = caption == text::sending_caption;
    };
    dialog->on_progress = [&](std::uint32_t position) {
        if (!sending || position == 0) {
            return;
        }
        sending = false;
        HWND cancel = dialog->control(Control::cancel);
        if (GetParam().key == 0) {
            post_click(cancel);
        } else {
            post_key(cancel, GetParam().key);
        }
    };
    click(*dialog, IDC_START);
    EXPECT_EQ(dialog->wizard().controller().outcome().end, StepEnd::cancelled);
    ASSERT_FALSE(presenter_.boxes.empty());
    EXPECT_EQ(presenter_.boxes.back().text, text::canceled);
    pump();
    EXPECT_TRUE(IsWindowVisible(dialog->handle())) << "a cancel does not close the window";
}

INSTANTIATE_TEST_SUITE_P(Keys, CancelInTheDialog,
                         ::testing::Values(CancelCase{"Escape", VK_ESCAPE},
                                           CancelCase{"Enter", VK_RETURN},
                                           CancelCase{"CancelClick", 0}),
                         testing_support::CaseName());

}  // namespace
}  // namespace hx4x::win32
