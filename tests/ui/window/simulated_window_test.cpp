// The window against the simulated-counter VISA library, through the real binding.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QPushButton>

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <optional>

#include "AuxLib/operator_message.hpp"
#include "emulated_window.hpp"
#include "environment.hpp"
#include "fake_clock.hpp"
#include "hex_text.hpp"
#include "instrument/clock.hpp"
#include "instrument/visa_library.hpp"
#include "platform/message_box.hpp"
#include "recording_presenter.hpp"
#include "temp_dir.hpp"
#include "ui/brand_pictures.hpp"
#include "ui/controller_texts.hpp"
#include "ui_window/loader_dialog.hpp"
#include "ui_window/qt_text.hpp"

namespace hx4x {
namespace {

namespace text = controller_text;
const std::string usb = "USB0::0x5D3C::0x0090::100000::INSTR";

class SimulatedWindowTest : public ::testing::Test {
  protected:
    SimulatedWindowTest() : scoped_clock_(clock_) {
        testing_support::offscreen_application();
        QApplication::instance()->installEventFilter(&gate_);
        firmware_ = dir_.file("fw.hex");
        testing_support::write_file(firmware_, testing_support::firmware_hex_text("1.20", 4096));
    }
    ~SimulatedWindowTest() override {
        QApplication::instance()->removeEventFilter(&gate_);
        VisaLibrary::instance().unload();
        unsetenv("HX4X_VISA_SIM_CONFIG");
    }

    void start_bus(const std::string& extra) {
        const std::string config = dir_.file("bus.cfg");
        testing_support::write_file(config, "timeouts immediate\ntranscript " + transcript() +
                                                "\n" + extra + "resource " + usb +
                                                "\nidn VALDMORE,HX-40XL,123456,V1.15\n"
                                                "new_version V1.20\nburn_ms 300\n");
        setenv("HX4X_VISA_SIM_CONFIG", config.c_str(), 1);
        // The claims on counters live in the runtime folder: other tests running at the same
        // time use the same counter name on buses of their own.
        runtime_folder_.emplace("XDG_RUNTIME_DIR", dir_.path().string());
        std::string error;
        ASSERT_TRUE(VisaLibrary::instance().load(HX4X_VISA_SIM_PATH, &error)) << error;
    }
    std::string transcript() const { return dir_.file("transcript.txt"); }
    std::string written() const {
        std::ifstream in(transcript());
        std::string lines;
        for (std::string line; std::getline(in, line);) {
            if (line.rfind("viWrite ", 0) == 0) {
                lines += line + "\n";
            }
        }
        return lines;
    }

    std::unique_ptr<LoaderDialog> open_window() {
        const BrandPictures pictures = program_brand_pictures("");
        auto dialog =
            std::make_unique<LoaderDialog>(LoaderDialog::Identity{"HX-4x Firmware Loader",
                                                                  {},
                                                                  to_qt_image(pictures.logo),
                                                                  to_qt_image(pictures.background)},
                                           gate_);
        dialog->wizard().set_settings_file(dir_.file("loader.ini"));
        dialog->wizard().set_skip_readme(true);
        dialog->show();
        dialog->initialise();
        QCoreApplication::processEvents();
        return dialog;
    }

    FakeClock clock_;
    ScopedClock scoped_clock_;
    InputGate gate_;
    testing_support::TempDir dir_;
    std::optional<testing_support::ScopedEnvironment> runtime_folder_;
    std::string firmware_;
    testing_support::RecordingPresenter presenter_;
};

TEST_F(SimulatedWindowTest, ConfirmedAndDeclinedUpdates) {
    start_bus("");
    for (const bool yes : {true, false}) {
        SCOPED_TRACE(yes ? "confirmed" : "declined");
        presenter_.answer = yes ? platform::answer_yes : platform::answer_no;
        auto dialog = open_window();
        ASSERT_EQ(dialog->list_count(), 1u);
        dialog->next_button()->click();
        ASSERT_EQ(dialog->wizard().current_page(), page_update);
        dialog->file_box()->setEditText(to_qt(firmware_));
        dialog->start_button()->click();
        const UpdateOutcome& outcome = dialog->controller().outcome();
        EXPECT_EQ(outcome.end, yes ? StepEnd::done : StepEnd::declined);
        EXPECT_EQ(outcome.after.firmware_version, yes ? "V1.20" : "");
        // Either way the counter is reset last, never left prepared.
        const std::string sent = written();
        const std::size_t prepared = sent.rfind("FIRMWARE:PREPARE");
        ASSERT_NE(prepared, std::string::npos);
        EXPECT_EQ(sent.find("SYST:FIRM:UPD", prepared) != std::string::npos, yes);
        const std::size_t reset = sent.rfind("*rst");
        EXPECT_NE(reset, std::string::npos);
        EXPECT_GT(reset, prepared);
    }
}

// A counter that does not answer keeps the wizard on page 1, after the open-failure text.
TEST_F(SimulatedWindowTest, PageTwoIsRefusedWhenTheCounterCannotBeOpened) {
    start_bus("fail viOpen 1 VI_ERROR_RSRC_BUSY 0\n");
    auto dialog = open_window();
    ASSERT_EQ(dialog->list_count(), 1u);
    dialog->next_button()->click();
    EXPECT_EQ(dialog->wizard().current_page(), page_instruments);
    ASSERT_FALSE(presenter_.boxes.empty());
    EXPECT_EQ(presenter_.boxes.back().text.rfind(text::open_failure_head, 0), 0u);
    EXPECT_TRUE(dialog->next_button()->isVisible());
}

// A file box naming no usable firmware file is refused at Start before the counter hears
// a single command: nothing prepared, nothing to reset.
struct RefusalCase {
    const char* name;
    // Makes the entry in the folder and returns what is typed in the file box.
    std::string (*make)(const testing_support::TempDir& dir);
    const char* message_head;
};

class PreflightRefusal : public SimulatedWindowTest,
                         public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(PreflightRefusal, SendsNothingToTheCounter) {
    start_bus("");
    auto dialog = open_window();
    dialog->next_button()->click();
    ASSERT_EQ(dialog->wizard().current_page(), page_update);
    const std::string before = written();
    dialog->file_box()->setEditText(to_qt(GetParam().make(dir_)));
    dialog->start_button()->click();
    ASSERT_FALSE(presenter_.boxes.empty());
    EXPECT_EQ(presenter_.boxes.back().text.rfind(GetParam().message_head, 0), 0u)
        << presenter_.boxes.back().text;
    EXPECT_EQ(written(), before);
    EXPECT_TRUE(dialog->start_button()->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(
    NoFirmwareFile, PreflightRefusal,
    ::testing::Values(
        RefusalCase{"Empty", [](const testing_support::TempDir&) { return std::string(); },
                    text::no_firmware_file},
        RefusalCase{"Missing",
                    [](const testing_support::TempDir& dir) { return dir.file("gone.hex"); },
                    text::firmware_file_missing},
        RefusalCase{"Folder",
                    [](const testing_support::TempDir& dir) {
                        const std::string folder = dir.file("folder.hex");
                        mkdir(folder.c_str(), 0700);
                        return folder;
                    },
                    "Error parsing file '"},
        RefusalCase{"Fifo",
                    [](const testing_support::TempDir& dir) {
                        const std::string fifo = dir.file("fifo.hex");
                        mkfifo(fifo.c_str(), 0600);
                        return fifo;
                    },
                    "Error parsing file '"},
        RefusalCase{"NotIntelHex",
                    [](const testing_support::TempDir& dir) {
                        const std::string file = dir.file("text.hex");
                        testing_support::write_file(file, "not a hex file\n");
                        return file;
                    },
                    "Error parsing file '"}),
    [](const ::testing::TestParamInfo<RefusalCase>& param) { return param.param.name; });

}  // namespace
}  // namespace hx4x
