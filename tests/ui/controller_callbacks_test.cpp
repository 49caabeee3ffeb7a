#include <gtest/gtest.h>

#include "controller_fixture.hpp"

namespace hx4x {
namespace {

using testing_support::EmulatedControllerTest;

TEST_F(EmulatedControllerTest, StepProgressScalesIn64BitsAndCaps) {
    controller.refresh_instruments();
    // Only while a run is on: outside one the callback refuses at once.
    EXPECT_FALSE(UpdateController::step_progress(&controller, 1, 2));
    EXPECT_TRUE(view.progress.empty());
}

TEST_F(EmulatedControllerTest, BurnProgressSweepsUpAndDown) {
    view.range = 100;
    struct Tick {
        int tick;
        std::uint32_t position;
    };
    for (const Tick& t : {Tick{0, 0}, Tick{5, 1}, Tick{495, 99}, Tick{500, 100}, Tick{505, 99},
                          Tick{995, 1}, Tick{1000, 0}, Tick{1005, 1}}) {
        view.progress.clear();
        UpdateController::burn_progress(&controller, t.tick);
        ASSERT_EQ(view.progress.size(), 1u) << t.tick;
        EXPECT_EQ(view.progress[0], t.position) << t.tick;
    }
    view.progress.clear();
    const int drains = view.drains;
    UpdateController::burn_progress(&controller, 7);
    EXPECT_TRUE(view.progress.empty());
    EXPECT_EQ(view.drains, drains + 1) << "every tick repaints";

    view.range = 50;
    UpdateController::burn_progress(&controller, 400);
    EXPECT_EQ(view.progress.back(), 50u) << "cut to the bar's range";
}

TEST_F(EmulatedControllerTest, ProgressPositionsDuringARunStayWithinTheBar) {
    // A file of several kilobytes makes the load report many byte counts.
    testing_support::write_file(firmware, testing_support::firmware_hex_text("1.15", 64 * 1024));
    controller.refresh_instruments();
    controller.start_update();
    EXPECT_EQ(view.messages.back().kind, MessageKind::information);
    EXPECT_FALSE(view.progress_overflow);
    EXPECT_GT(view.progress.size(), 50u);
}

}  // namespace
}  // namespace hx4x
