// The window as an operator meets it, on the offscreen platform, against the emulated counter.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QTimer>
#include <QWindow>

#include <cstdlib>
#include <optional>

#include "app/emulated_version.hpp"
#include "fake_clock.hpp"
#include "hex_text.hpp"
#include "instrument/clock.hpp"
#include "instrument/emulation.hpp"
#include "instrument/visa_library.hpp"
#include "platform/program_resource.hpp"
#include "recording_presenter.hpp"
#include "temp_dir.hpp"
#include "ui/brand_pictures.hpp"
#include "ui/controller_texts.hpp"
#include "ui/readme_page.hpp"
#include "ui/settings_texts.hpp"
#include "ui_window/loader_dialog.hpp"
#include "ui_window/qt_text.hpp"

namespace hx4x {
namespace {

namespace text = controller_text;
using testing_support::RecordingPresenter;
using testing_support::TempDir;

QApplication& application() {
    static int argc = 1;
    static char name[] = "window_tests";
    static char* argv[] = {name, nullptr};
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    // Never destroyed: a QApplication torn down among the process's static objects would
    // outlive the window system's own.
    static QApplication* app = QApplication::instance() != nullptr
                                   ? static_cast<QApplication*>(QApplication::instance())
                                   : new QApplication(argc, argv);
    return *app;
}

// A window whose status changes can trigger a test's own input, as an operator would press
// keys while a step runs.
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

class LoaderDialogTest : public ::testing::Test {
  protected:
    LoaderDialogTest() {
        application().installEventFilter(&gate);
        set_emulated_version(112);
        firmware = dir.file("fw.hex");
        testing_support::write_file(firmware, testing_support::firmware_hex_text("1.15"));
    }
    ~LoaderDialogTest() override {
        application().removeEventFilter(&gate);
        set_emulated_version(0);
    }

    struct Options {
        bool skip_readme = false;
        bool start = false;
        std::string firmware;
        std::string mask = "(USB|GPIB)?*::INSTR";
        // Called before the window opens, so it sees the very first requests.
        std::function<void(ScriptedDialog&)> before_open;
    };

    std::unique_ptr<ScriptedDialog> open_window(bool skip_readme = false) {
        Options options;
        options.skip_readme = skip_readme;
        return open_window(options);
    }

    std::unique_ptr<ScriptedDialog> open_window(const Options& options) {
        const BrandPictures pictures = program_brand_pictures("");
        auto dialog = std::make_unique<ScriptedDialog>(
            LoaderDialog::Identity{"HX-4x Firmware Loader",
                                   readme_document(program_resource_bytes(), "product", "file"),
                                   to_qt_image(pictures.logo), to_qt_image(pictures.background)},
            gate);
        dialog->wizard().set_settings_file(dir.file("loader.ini"));
        dialog->wizard().set_firmware_file(options.firmware);
        dialog->wizard().set_mask(options.mask);
        dialog->wizard().set_selected_address("");
        dialog->wizard().set_start(options.start);
        dialog->wizard().set_skip_readme(options.skip_readme);
        dialog->wizard().set_skip_burning(false);
        dialog->wizard().set_dump_sending(false);
        dialog->wizard().set_dump_firmware(false);
        if (options.before_open) {
            options.before_open(*dialog);
        }
        dialog->show();
        dialog->initialise();
        QCoreApplication::processEvents();
        return dialog;
    }

    static std::span<const std::uint8_t> program_resource_bytes();

    static void post_key(QWidget& window, int key) {
        QCoreApplication::postEvent(window.windowHandle(),
                                    new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier));
        QCoreApplication::postEvent(window.windowHandle(),
                                    new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier));
    }

    // Pauses of the protocol cost nothing unless a test needs the real clock.
    void use_fake_clock() { fake_clock_.emplace(clock_); }

    void post_click(QWidget& button) {
        const QPoint centre = button.rect().center();
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QCoreApplication::postEvent(
                &button, new QMouseEvent(type, centre, button.mapToGlobal(centre), Qt::LeftButton,
                                         Qt::LeftButton, Qt::NoModifier));
        }
    }

    FakeClock clock_;
    std::optional<ScopedClock> fake_clock_;
    InputGate gate;
    TempDir dir;
    std::string firmware;
    RecordingPresenter presenter;
};

std::span<const std::uint8_t> LoaderDialogTest::program_resource_bytes() {
    return platform::program_resource(readme_resource_name, "RTF_DOCUMENT");
}

TEST_F(LoaderDialogTest, PagesFollowTheWizardAndTheClientIsThePictures) {
    auto dialog = open_window();
    EXPECT_EQ(dialog->client_size(), QSize(580, 388));
    EXPECT_EQ(dialog->size(), QSize(580, 388));
    EXPECT_EQ(dialog->wizard().current_page(), page_readme);
    EXPECT_TRUE(dialog->readme_box()->isVisible());
    EXPECT_TRUE(dialog->next_button()->isDefault());
    EXPECT_NE(dialog->readme_box()->toPlainText().indexOf(QStringLiteral("product")), -1);

    // Enter means Next: the search runs and page 1 lists the emulated counter.
    dialog->next_button()->click();
    EXPECT_EQ(dialog->wizard().current_page(), page_instruments);
    EXPECT_EQ(dialog->instruments_label()->text(),
              QStringLiteral("Connected instruments (matched by \"(USB|GPIB)?*::INSTR\"):"));
    EXPECT_EQ(dialog->instrument_list()->count(), 1);
    EXPECT_TRUE(dialog->next_button()->isEnabled() && dialog->next_button()->isDefault());
    EXPECT_TRUE(dialog->back_button()->isVisible());

    dialog->next_button()->click();
    EXPECT_EQ(dialog->wizard().current_page(), page_update);
    ASSERT_EQ(dialog->wizard().identification_rows().size(), 5u);
    EXPECT_EQ(dialog->wizard().identification_rows()[2].value, "HX-40XL-Emulated");
    EXPECT_TRUE(dialog->start_button()->isDefault());
    EXPECT_FALSE(dialog->controller().protocol().session().is_open())
        << "the counter opened to fill the view is closed again";
    // The file box sits centred on Browse, both below their label.
    const QRect browse = dialog->browse_button()->geometry();
    EXPECT_EQ(dialog->file_box()->geometry().center().y(), browse.center().y());

    dialog->back_button()->click();
    EXPECT_EQ(dialog->wizard().current_page(), page_instruments);
    EXPECT_TRUE(presenter.boxes.empty());
}

TEST_F(LoaderDialogTest, AnUpdateRunsInTheBusyStateAndTheSettingsAreKept) {
    auto dialog = open_window(true);
    EXPECT_EQ(dialog->wizard().current_page(), page_instruments);
    EXPECT_FALSE(dialog->back_button()->isVisible()) << "no readme to go back to";
    dialog->next_button()->click();
    dialog->file_box()->setEditText(to_qt(firmware));
    bool busy_seen = false;
    dialog->on_status = [&](const std::string&) {
        busy_seen = dialog->cancel_button()->isVisible() || dialog->status_label()->isVisible();
        busy_seen = busy_seen && !dialog->start_button()->isEnabled();
    };
    dialog->start_button()->click();
    EXPECT_TRUE(busy_seen);
    ASSERT_FALSE(presenter.boxes.empty());
    EXPECT_EQ(presenter.boxes.back().text.rfind(text::success_head, 0), 0u)
        << presenter.boxes.back().text;
    EXPECT_TRUE(dialog->start_button()->isEnabled() && dialog->start_button()->isDefault());
    EXPECT_FALSE(dialog->cancel_button()->isVisible());

    dialog->exit_button()->click();
    const std::string saved = testing_support::read_file(dir.file("loader.ini"));
    EXPECT_NE(saved.find("hex_file_name_0=" + firmware + "\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("last_used_instrument=" + std::string(emulated_resource_name)),
              std::string::npos);
}

// With start the window opens on the update page and the update runs by itself; a file
// dropped meanwhile is refused and the run goes on.
TEST_F(LoaderDialogTest, StartUpdatesByItselfAndRefusesADropDuringTheRun) {
    use_fake_clock();
    Options options;
    options.start = true;
    options.firmware = firmware;
    options.mask = "";
    bool dropped = false;
    options.before_open = [&](ScriptedDialog& opening) {
        EXPECT_EQ(opening.wizard().current_page(), page_readme);
        opening.on_status = [&](const std::string& caption) {
            if (caption == text::sending_caption && !dropped) {
                dropped = true;
                opening.controller().file_dropped(dir.file("other.hex"));
            }
        };
    };
    // The automatic-start request is handled as the window opens.
    auto dialog = open_window(options);
    EXPECT_EQ(dialog->wizard().current_page(), page_update);
    EXPECT_TRUE(dropped);
    EXPECT_TRUE(dialog->controller().outcome().succeeded()) << presenter.boxes.back().text;
    const auto refusals = std::count_if(
        presenter.boxes.begin(), presenter.boxes.end(),
        [](const MessageBoxRequest& box) { return box.text == text::already_running; });
    EXPECT_EQ(refusals, 1);
    EXPECT_EQ(dialog->file_box_text(), firmware);

    dialog->back_button()->click();
    EXPECT_EQ(dialog->instruments_label()->text(), QStringLiteral("Connected instruments:"));
}

// Escape pressed while sending (after the step's first drain) is taken as a cancel at the
// next safe point, through the window's own event queue.
TEST_F(LoaderDialogTest, EscapeDuringSendingCancels) {
    auto dialog = open_window(true);
    dialog->next_button()->click();
    dialog->file_box()->setEditText(to_qt(firmware));
    bool sending = false;
    dialog->on_status = [&](const std::string& caption) {
        sending = caption == text::sending_caption;
    };
    dialog->on_progress = [&](std::uint32_t position) {
        if (sending && position > 0) {
            sending = false;
            post_key(*dialog, Qt::Key_Escape);
        }
    };
    dialog->start_button()->click();
    EXPECT_EQ(dialog->controller().outcome().end, StepEnd::cancelled);
    ASSERT_FALSE(presenter.boxes.empty());
    EXPECT_EQ(presenter.boxes.back().text, text::canceled);
    EXPECT_TRUE(dialog->isVisible()) << "a cancel does not close the window";
}

// During the burn a key press and a click do nothing, then or afterwards: held back and
// delivered after the run, the Escape would close the window and the click on Start (enabled
// again by then) would start a second update.
TEST_F(LoaderDialogTest, InputDuringTheBurnIsThrownAway) {
    use_fake_clock();
    auto dialog = open_window(true);
    dialog->next_button()->click();
    dialog->file_box()->setEditText(to_qt(firmware));
    dialog->on_status = [&](const std::string& caption) {
        if (caption != text::burning_caption) {
            return;
        }
        post_key(*dialog, Qt::Key_Escape);
        QPushButton* start = dialog->start_button();
        const QPoint centre = start->rect().center();
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QCoreApplication::postEvent(
                start, new QMouseEvent(type, centre, start->mapToGlobal(centre), Qt::LeftButton,
                                       Qt::LeftButton, Qt::NoModifier));
        }
    };
    dialog->start_button()->click();
    dialog->on_status = nullptr;
    EXPECT_TRUE(dialog->controller().outcome().succeeded());
    // Whatever is still queued now would be delivered late: nothing must be left.
    QCoreApplication::processEvents();
    const auto successes = std::count_if(
        presenter.boxes.begin(), presenter.boxes.end(),
        [](const MessageBoxRequest& box) { return box.text.rfind(text::success_head, 0) == 0; });
    EXPECT_EQ(successes, 1);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), 0) << "the Escape was not taken as closing the window";
}

// Cancel, Enter and Escape each cancel each cancellable step at its next safe point.
struct CancelCase {
    const char* name;
    const char* caption;
    int key;  // 0: a click on Cancel
    UpdateStep step;
};

class CancelInTheWindow : public LoaderDialogTest,
                          public ::testing::WithParamInterface<CancelCase> {};

TEST_P(CancelInTheWindow, StopsTheRunAtThatStep) {
    use_fake_clock();
    auto dialog = open_window(true);
    dialog->next_button()->click();
    dialog->file_box()->setEditText(to_qt(firmware));
    bool armed = false;
    dialog->on_status = [&](const std::string& caption) { armed = caption == GetParam().caption; };
    dialog->on_progress = [&](std::uint32_t position) {
        if (!armed || position == 0) {
            return;
        }
        armed = false;
        if (GetParam().key == 0) {
            post_click(*dialog->cancel_button());
        } else {
            post_key(*dialog, GetParam().key);
        }
    };
    dialog->start_button()->click();
    EXPECT_EQ(dialog->controller().outcome().end, StepEnd::cancelled);
    EXPECT_EQ(dialog->controller().outcome().step, GetParam().step);
    ASSERT_FALSE(presenter.boxes.empty());
    EXPECT_EQ(presenter.boxes.back().text, text::canceled);
    EXPECT_TRUE(dialog->isVisible()) << "a cancel does not close the window";
    EXPECT_TRUE(dialog->start_button()->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(
    EveryStepAndWay, CancelInTheWindow,
    ::testing::Values(
        CancelCase{"PreparingByCancel", text::preparing_caption, 0, UpdateStep::prepare},
        CancelCase{"PreparingByEnter", text::preparing_caption, Qt::Key_Return,
                   UpdateStep::prepare},
        CancelCase{"PreparingByEscape", text::preparing_caption, Qt::Key_Escape,
                   UpdateStep::prepare},
        CancelCase{"ParsingByCancel", text::parsing_caption, 0, UpdateStep::parse},
        CancelCase{"ParsingByEnter", text::parsing_caption, Qt::Key_Enter, UpdateStep::parse},
        CancelCase{"ParsingByEscape", text::parsing_caption, Qt::Key_Escape, UpdateStep::parse},
        CancelCase{"SendingByCancel", text::sending_caption, 0, UpdateStep::send},
        CancelCase{"SendingByEnter", text::sending_caption, Qt::Key_Return, UpdateStep::send},
        CancelCase{"SendingByEscape", text::sending_caption, Qt::Key_Escape, UpdateStep::send}),
    [](const ::testing::TestParamInfo<CancelCase>& param) { return param.param.name; });

TEST_F(LoaderDialogTest, BrowseStartsAtTheFileAndEscapeKeepsTheSettings) {
    Options options;
    options.firmware = firmware;
    auto dialog = open_window(options);
    dialog->next_button()->click();
    dialog->next_button()->click();
    QString folder;
    QStringList preset;
    QTimer::singleShot(0, [&] {
        if (auto* browse = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            folder = browse->directory().absolutePath();
            preset = browse->selectedFiles();
            browse->reject();
        }
    });
    dialog->browse_button()->click();
    EXPECT_EQ(from_qt(folder), dir.path().string());
    ASSERT_EQ(preset.size(), 1);
    EXPECT_EQ(from_qt(preset.front()), firmware);

    post_key(*dialog, Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_NE(
        testing_support::read_file(dir.file("loader.ini")).find("last_used_hex_file=" + firmware),
        std::string::npos);
}

}  // namespace
}  // namespace hx4x

namespace hx4x {
namespace {

// Tab and Shift+Tab walk every enabled control of each page in reading order and come back
// round; neither view keeps the focus to walk its own rows.
TEST_F(LoaderDialogTest, TabWalksEachPageInReadingOrder) {
    auto dialog = open_window();
    const std::vector<std::vector<Control>> pages = {
        {Control::readme, Control::exit, Control::next},
        {Control::instruments, Control::refresh, Control::exit, Control::back, Control::next},
        {Control::identification, Control::file_box, Control::browse, Control::exit, Control::back,
         Control::start}};
    const auto focused = [&]() -> int {
        QWidget* focus = QApplication::focusWidget();
        for (std::size_t i = 0; i < control_count; ++i) {
            QWidget* control = dialog->control(static_cast<Control>(i));
            if (focus != nullptr && (focus == control || control->isAncestorOf(focus))) {
                return static_cast<int>(i);
            }
        }
        return -1;
    };
    // From the page's first control, one press per control: where the focus stood after each.
    const auto walk = [&](const std::vector<Control>& page, int key) {
        dialog->control(page.front())->setFocus();
        QCoreApplication::processEvents();
        std::vector<int> seen;
        for (std::size_t step = 0; step < page.size(); ++step) {
            post_key(*dialog, key);
            QCoreApplication::processEvents();
            seen.push_back(focused());
        }
        return seen;
    };
    for (std::size_t page = 0; page < pages.size(); ++page) {
        if (page > 0) {
            dialog->next_button()->click();
        }
        ASSERT_EQ(dialog->wizard().current_page(), static_cast<int>(page));
        std::vector<int> forward;
        std::vector<int> backward;
        for (std::size_t i = 1; i <= pages[page].size(); ++i) {
            forward.push_back(static_cast<int>(pages[page][i % pages[page].size()]));
            backward.push_back(static_cast<int>(pages[page][pages[page].size() - i]));
        }
        EXPECT_EQ(walk(pages[page], Qt::Key_Tab), forward) << "page " << page;
        EXPECT_EQ(walk(pages[page], Qt::Key_Backtab), backward) << "page " << page;
    }
}

// Raised by a later copy while it shows a box, the window keeps its box in front: behind
// the window it blocks, the box could be neither seen nor answered.
TEST_F(LoaderDialogTest, RaisingTheWindowKeepsItsBoxInFront) {
    auto dialog = open_window();
    QMessageBox box(QMessageBox::Critical, QStringLiteral("HX-4x Firmware Loader"),
                    QStringLiteral("error"), QMessageBox::Ok, dialog.get());
    box.setWindowModality(Qt::ApplicationModal);
    box.show();
    QCoreApplication::processEvents();
    dialog->activateWindow();
    QCoreApplication::processEvents();
    dialog->bring_to_front();
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::activeModalWidget(), &box);
    EXPECT_EQ(QApplication::activeWindow(), &box);
    box.close();
}

// Settings that cannot be written are said once, in our own words, and the window closes.
TEST_F(LoaderDialogTest, ASettingsSaveThatFailsIsSaidOnce) {
    auto dialog = open_window();
    const std::string unwritable = dir.file("no such folder") + "/loader.ini";
    dialog->wizard().set_settings_file(unwritable);
    dialog->exit_button()->click();
    dialog->wizard().close_requested();
    ASSERT_EQ(presenter.boxes.size(), 1u);
    EXPECT_EQ(presenter.boxes.front().kind, MessageKind::warning);
    EXPECT_EQ(presenter.boxes.front().text, settings_save_failed(unwritable));
    EXPECT_FALSE(dialog->isVisible());
}

}  // namespace
}  // namespace hx4x
