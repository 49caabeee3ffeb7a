#pragma once

// The window on the offscreen platform against the emulated counter, opened on the
// instruments page with a settings file of the test's choosing.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/emulated_version.hpp"
#include "fake_clock.hpp"
#include "instrument/clock.hpp"
#include "recording_presenter.hpp"
#include "ui/brand_pictures.hpp"
#include "ui/controller_texts.hpp"
#include "ui_window/loader_dialog.hpp"
#include "ui_window/qt_text.hpp"

namespace hx4x::testing_support {

inline QApplication& offscreen_application() {
    static int argc = 1;
    static char name[] = "window_tests";
    static char* argv[] = {name, nullptr};
    if (QApplication::instance() == nullptr) {
        if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
        }
        new QApplication(argc, argv);  // kept for the whole process, as the other tests do
    }
    return *static_cast<QApplication*>(QApplication::instance());
}

class EmulatedWindowTest : public ::testing::Test {
  protected:
    EmulatedWindowTest() : scoped_clock_(clock_) {
        offscreen_application().installEventFilter(&gate_);
        set_emulated_version(112);
    }
    ~EmulatedWindowTest() override {
        offscreen_application().removeEventFilter(&gate_);
        set_emulated_version(0);
    }

    std::unique_ptr<LoaderDialog> open_window(const std::string& settings_file) {
        const BrandPictures pictures = program_brand_pictures("");
        auto dialog =
            std::make_unique<LoaderDialog>(LoaderDialog::Identity{"HX-4x Firmware Loader",
                                                                  {},
                                                                  to_qt_image(pictures.logo),
                                                                  to_qt_image(pictures.background)},
                                           gate_);
        dialog->wizard().set_settings_file(settings_file);
        dialog->wizard().set_skip_readme(true);
        dialog->show();
        dialog->initialise();
        QCoreApplication::processEvents();
        return dialog;
    }

    // Handles the window's events until the run has shown its last box, for at most a
    // minute; true when that box is the success text.
    bool succeeded_after_events() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
        while (presenter_.boxes.empty() && std::chrono::steady_clock::now() < deadline) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        }
        return succeeded();
    }
    bool succeeded() const {
        return !presenter_.boxes.empty() &&
               presenter_.boxes.back().text.rfind(controller_text::success_head, 0) == 0;
    }
    std::string last_box() const {
        return presenter_.boxes.empty() ? std::string("(no box)") : presenter_.boxes.back().text;
    }

    FakeClock clock_;
    ScopedClock scoped_clock_;
    InputGate gate_;
    RecordingPresenter presenter_;
};

}  // namespace hx4x::testing_support
