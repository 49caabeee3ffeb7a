#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "environment.hpp"
#include "fake_clock.hpp"
#include "hex_text.hpp"
#include "instrument/clock.hpp"
#include "instrument/visa_library.hpp"
#include "recording_view.hpp"
#include "temp_dir.hpp"
#include "ui/controller_texts.hpp"
#include "ui/update_controller.hpp"

namespace hx4x {
namespace {

namespace text = controller_text;
using Kind = testing_support::RecordingView::Kind;

const std::string gpib = "GPIB0::12::INSTR";
const std::string reset = ":ABOR; *rst; *PSC 0; *CLS";

std::vector<std::string> transcript_lines(const std::string& path, const std::string& entry) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(entry + " ", 0) == 0) {
            lines.push_back(line);
        }
    }
    return lines;
}

std::size_t timed_out_reads(const std::string& transcript) {
    const std::vector<std::string> reads = transcript_lines(transcript, "viRead");
    return static_cast<std::size_t>(std::count_if(reads.begin(), reads.end(), [](const auto& l) {
        return l.find(" -> VI_ERROR_TMO") != std::string::npos;
    }));
}

// An operator who presses Cancel while the sending page is shown and the counter has
// stopped answering: the key is there from the first look after a time-out.
class OperatorAtAHang : public testing_support::RecordingView {
  public:
    std::unique_ptr<ViewEvent> take_event() override {
        if (!pressed_ && status == text::sending_caption && timed_out_reads(transcript) > 0) {
            pressed_ = true;
            return std::make_unique<Event>(Kind::cancel_key, std::string());
        }
        return RecordingView::take_event();
    }

    std::string transcript;

  private:
    bool pressed_ = false;
};

// The controller against a simulated GPIB counter at 1.05 (249 bytes a block), on a fake
// clock, with a firmware file of five blocks.
class HangingCounterTest : public ::testing::Test {
  protected:
    HangingCounterTest() : scoped_clock(clock), controller(view) {
        view.attach(controller);
        view.transcript = dir.file("transcript.txt");
        view.file_box = dir.file("fw.hex");
        testing_support::write_file(view.file_box,
                                    testing_support::firmware_hex_text("1.06", 1020));
    }
    ~HangingCounterTest() override {
        VisaLibrary::instance().unload();
        testing_support::unset_environment("HX4X_VISA_SIM_CONFIG");
    }

    void start_bus(const std::string& counter_keys) {
        const std::string config = dir.file("bus.cfg");
        testing_support::write_file(
            config, "timeouts immediate\ntranscript " + view.transcript + "\nresource " + gpib +
                        "\nidn DWERN,RV2260,654321,V1.05\n" + counter_keys + "\n");
        testing_support::set_environment("HX4X_VISA_SIM_CONFIG", config);
        runtime_folder_.emplace("XDG_RUNTIME_DIR", dir.path().string());
        std::string error;
        ASSERT_TRUE(VisaLibrary::instance().load(HX4X_VISA_SIM_PATH, &error)) << error;
    }

    FakeClock clock;
    ScopedClock scoped_clock;
    OperatorAtAHang view;
    UpdateController controller;
    testing_support::TempDir dir;

  private:
    std::optional<testing_support::ScopedEnvironment> runtime_folder_;
};

TEST_F(HangingCounterTest, CancelDuringTheRetriesIsACancelAtTheFirstTimeOut) {
    // Read 1 identifies the counter, 2 and 3 confirm the first two blocks; from the third
    // block's confirmation on the counter answers nothing.
    start_bus("timeout_read 4 0");
    controller.refresh_instruments();
    controller.start_update();

    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].kind, MessageKind::warning);
    EXPECT_EQ(view.messages[0].text, text::canceled);
    EXPECT_EQ(controller.outcome().end, StepEnd::cancelled);
    EXPECT_EQ(controller.outcome().step, UpdateStep::send);
    // Taken after the first time-out: the block did not go again, nor was a second wait run.
    EXPECT_EQ(timed_out_reads(view.transcript), 1u);
    const std::vector<std::string> writes = transcript_lines(view.transcript, "viWrite");
    EXPECT_EQ(std::count_if(writes.begin(), writes.end(),
                            [](const auto& w) { return w.find(" SYST:FIRM:DATA #") != w.npos; }),
              3);
    // The transfer's reset and the run's finishing one, each a whole command the counter took.
    ASSERT_GE(writes.size(), 2u);
    for (auto it = writes.end() - 2; it != writes.end(); ++it) {
        EXPECT_EQ(*it, "viWrite " + gpib + " " + reset + " -> VI_SUCCESS");
    }
}

}  // namespace
}  // namespace hx4x
