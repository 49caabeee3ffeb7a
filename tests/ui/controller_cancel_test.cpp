#include <gtest/gtest.h>

#include "case_name.hpp"
#include "controller_fixture.hpp"
#include "ui/controller_texts.hpp"

namespace hx4x {
namespace {

using testing_support::EmulatedControllerTest;
using Kind = testing_support::RecordingView::Kind;
namespace text = controller_text;

struct CancelCase {
    const char* name;
    const char* caption;
    Kind kind;
};

class CancelDuringStep : public EmulatedControllerTest,
                         public ::testing::WithParamInterface<CancelCase> {};

TEST_P(CancelDuringStep, ShowsTheWarningAndStopsThere) {
    const CancelCase& c = GetParam();
    view.on_status(c.caption, c.kind);
    controller.refresh_instruments();
    controller.start_update();

    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].kind, MessageKind::warning);
    EXPECT_EQ(view.messages[0].text, "Operation canceled by user");
    EXPECT_EQ(view.statuses.back(), c.caption) << "no later step ran";
    EXPECT_TRUE(view.questions.empty() || std::string(c.caption) == text::sending_caption);
    EXPECT_FALSE(controller.update_running());
    EXPECT_EQ(view.calls.back(), "leave_busy_state");
    EXPECT_EQ(std::count(view.calls.begin(), view.calls.end(), "close_window"), 0)
        << "a close request during a run cancels instead of closing";
    EXPECT_EQ(controller.outcome().end, StepEnd::cancelled);
    const UpdateStep step = std::string(c.caption) == text::preparing_caption ? UpdateStep::prepare
                            : std::string(c.caption) == text::parsing_caption ? UpdateStep::parse
                                                                              : UpdateStep::send;
    EXPECT_EQ(controller.outcome().step, step);
}

INSTANTIATE_TEST_SUITE_P(
    EveryCancellableStep, CancelDuringStep,
    ::testing::Values(
        CancelCase{"PreparingCancelKey", text::preparing_caption, Kind::cancel_key},
        CancelCase{"PreparingCancelClick", text::preparing_caption, Kind::cancel_click},
        CancelCase{"PreparingCloseRequest", text::preparing_caption, Kind::close_request},
        CancelCase{"ParsingCancelKey", text::parsing_caption, Kind::cancel_key},
        CancelCase{"ParsingCancelClick", text::parsing_caption, Kind::cancel_click},
        CancelCase{"ParsingCloseRequest", text::parsing_caption, Kind::close_request},
        CancelCase{"SendingCancelKey", text::sending_caption, Kind::cancel_key},
        CancelCase{"SendingCancelClick", text::sending_caption, Kind::cancel_click},
        CancelCase{"SendingCloseRequest", text::sending_caption, Kind::close_request}),
    testing_support::CaseName());

TEST_F(EmulatedControllerTest, InputDuringTheBurnIsDiscarded) {
    view.on_status(text::burning_caption, Kind::cancel_key);
    controller.refresh_instruments();
    controller.start_update();
    EXPECT_EQ(view.messages.back().kind, MessageKind::information);
    // The success text comes either way; only these tell the key was discarded unread.
    EXPECT_EQ(view.scripted_left(text::burning_caption), 1u) << "the key was taken";
    // One drain before the burn and one at the reconnection; the rest are the burn's ticks.
    EXPECT_GT(view.drains_during[text::burning_caption], 2) << "the burn's ticks drained nothing";
    EXPECT_EQ(controller.outcome().end, StepEnd::done);
}

// Events dispatched from inside a step cannot start, refresh or reconnect under the run.
TEST_F(EmulatedControllerTest, EntryPointsDoNothingDuringARun) {
    for (const Kind kind : {Kind::start_click, Kind::refresh_click, Kind::selection_change}) {
        view.on_status(text::sending_caption, kind);
    }
    controller.refresh_instruments();
    const std::string address = controller.selected_address();
    controller.start_update();
    EXPECT_EQ(view.questions.size(), 1u) << "no nested update";
    EXPECT_EQ(std::count(view.statuses.begin(), view.statuses.end(), text::preparing_caption), 1);
    EXPECT_TRUE(controller.outcome().succeeded());
    EXPECT_EQ(controller.selected_address(), address);
    EXPECT_EQ(view.list.size(), 1u);
}

TEST_F(EmulatedControllerTest, DropDuringARunIsRefusedAndTheRunGoesOn) {
    const std::string other = dir.file("other.hex");
    view.on_status(text::sending_caption, Kind::drop, other);
    controller.refresh_instruments();
    controller.start_update();
    ASSERT_EQ(view.messages.size(), 2u);
    EXPECT_EQ(view.messages[0].kind, MessageKind::error);
    EXPECT_EQ(view.messages[0].text,
              "Firmware update is already in progress.\nCancel current update to start new one");
    EXPECT_EQ(view.messages[1].kind, MessageKind::information);
    EXPECT_EQ(view.file_box, firmware);
    EXPECT_EQ(controller.firmware_file(), firmware);
}

TEST_F(EmulatedControllerTest, AutoStartArrivingDuringARunIsDropped) {
    view.on_status(text::sending_caption, Kind::auto_start);
    controller.refresh_instruments();
    controller.start_update();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].kind, MessageKind::information);
    EXPECT_EQ(std::count(view.statuses.begin(), view.statuses.end(), text::preparing_caption), 1);
}

TEST_F(EmulatedControllerTest, OtherEventsAreDispatchedAndTheRunGoesOn) {
    view.on_status(text::parsing_caption, Kind::other);
    controller.refresh_instruments();
    controller.start_update();
    EXPECT_EQ(view.dispatched_other, 1);
    EXPECT_EQ(view.messages.back().kind, MessageKind::information);
}

}  // namespace
}  // namespace hx4x
