#include <gtest/gtest.h>

#include <limits>

#include "controller_fixture.hpp"
#include "ui/controller_texts.hpp"

namespace hx4x {
namespace {

using testing_support::EmulatedControllerTest;
namespace text = controller_text;

struct ProgressCase {
    std::uint32_t range;
    std::uint32_t done;
    std::uint32_t total;
    std::uint32_t position;
};

// Calls the step callback by hand while the preparation step is on screen, so the run is
// live and the bar has the step's range.
class ProbingView : public testing_support::RecordingView {
  public:
    void set_status(const std::string& caption) override {
        RecordingView::set_status(caption);
        if (caption != text::preparing_caption || controller == nullptr) {
            return;
        }
        for (const ProgressCase& c : cases) {
            set_progress_range(c.range);
            progress.clear();
            results.push_back(UpdateController::step_progress(controller, c.done, c.total));
            positions.push_back(progress.empty() ? 0xDEADu : progress.back());
        }
        set_progress_range(1024);
    }
    void leave_busy_state() override {
        RecordingView::leave_busy_state();
        running_when_leaving = controller != nullptr && controller->update_running();
    }

    UpdateController* controller = nullptr;
    std::vector<ProgressCase> cases;
    std::vector<bool> results;
    std::vector<std::uint32_t> positions;
    bool running_when_leaving = true;
};

class StepProgressDuringARun : public EmulatedControllerTest {
  protected:
    StepProgressDuringARun() : probed(probe) {
        probe.attach(probed);
        probe.controller = &probed;
        probe.file_box = firmware;
    }
    ProbingView probe;
    UpdateController probed;
};

TEST_F(StepProgressDuringARun, ScalesInSixtyFourBitsTruncatesAndCaps) {
    constexpr std::uint32_t most = std::numeric_limits<std::uint32_t>::max();
    probe.cases = {
        {1024, 1, 2, 512},
        {1024, 1, 3, 341},             // truncated, not rounded
        {1024, 3, 2, 1024},            // beyond the total: cut to the bar's end
        {1024, most, most, 1024},      // the product needs 64 bits
        {1024, most - 1, most, 1023},  // and still truncates
        {1024, 0, 0, 1024},            // nothing to do: the bar's end, no division
        {0, 5, 10, 0},                 // an empty bar stays at 0
        {100, 4'000'000'000u, 4'000'000'000u, 100},
    };
    probed.refresh_instruments();
    probed.start_update();
    ASSERT_EQ(probe.positions.size(), probe.cases.size());
    for (std::size_t i = 0; i < probe.cases.size(); ++i) {
        const ProgressCase& c = probe.cases[i];
        EXPECT_EQ(probe.positions[i], c.position) << c.range << " " << c.done << "/" << c.total;
        EXPECT_TRUE(probe.results[i]) << "no cancel: the step goes on";
    }
    EXPECT_EQ(probe.messages.back().kind, MessageKind::information);
}

TEST_F(StepProgressDuringARun, TheRunningFlagIsClearedBeforeTheBusyStateIsLeft) {
    probed.refresh_instruments();
    probed.start_update();
    ASSERT_EQ(probe.calls.back(), "leave_busy_state");
    EXPECT_FALSE(probe.running_when_leaving);
}

}  // namespace
}  // namespace hx4x
