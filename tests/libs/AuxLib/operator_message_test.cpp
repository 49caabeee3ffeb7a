#include "AuxLib/operator_message.hpp"

#include <gtest/gtest.h>

#include <cstdlib>

#include "host_system.hpp"
#include "recording_presenter.hpp"

namespace hx4x {
namespace {

using testing_support::RecordingPresenter;

class OperatorMessageTest : public ::testing::Test {
  protected:
    void SetUp() override { set_message_title("Message"); }
    void TearDown() override { set_message_title("Message"); }
    RecordingPresenter presenter;
};

TEST_F(OperatorMessageTest, ShowsOnceWithKindIconAndTitle) {
    set_message_title("LTA5x/LMA5x Firmware Loader");
    OperatorMessage message(MessageKind::error, "Error sending firmware to the counter");
    EXPECT_EQ(message.show(), platform::answer_ok);
    EXPECT_EQ(message.show(), 0);
    ASSERT_EQ(presenter.boxes.size(), 1u);
    const MessageBoxRequest& box = presenter.boxes[0];
    EXPECT_EQ(box.title, "LTA5x/LMA5x Firmware Loader");
    EXPECT_EQ(box.text, "Error sending firmware to the counter");
    EXPECT_EQ(box.kind, MessageKind::error);
    EXPECT_EQ(box.style, platform::box_icon_error | platform::box_ok);
}

TEST_F(OperatorMessageTest, TitleIsTakenWhenBuilt) {
    OperatorMessage message(MessageKind::information, "x");
    set_message_title("Later");
    message.show();
    EXPECT_EQ(presenter.boxes.at(0).title, "Message");
}

TEST_F(OperatorMessageTest, UnshownMessageIsShownAtDestructionWithItsOwner) {
    int owner = 0;
    {
        OperatorMessage message(MessageKind::warning, "Operation canceled by user");
        message.set_owner(&owner);
    }
    ASSERT_EQ(presenter.boxes.size(), 1u);
    EXPECT_EQ(presenter.boxes[0].owner, &owner);
    EXPECT_EQ(presenter.boxes[0].style, platform::box_icon_warning);
}

TEST_F(OperatorMessageTest, QuestionDefaultButtonFollowsDefaultAnswer) {
    presenter.answer = platform::answer_no;
    OperatorMessage yes_default(MessageKind::question, "Start?");
    EXPECT_EQ(yes_default.ask(), platform::answer_no);
    EXPECT_EQ(yes_default.ask(), 0);
    OperatorMessage no_default(MessageKind::question, "Start?");
    no_default.set_default_answer(DefaultAnswer::no).ask();
    ASSERT_EQ(presenter.boxes.size(), 2u);
    EXPECT_EQ(presenter.boxes[0].style, platform::box_icon_question | platform::box_yes_no);
    EXPECT_FALSE(presenter.boxes[0].default_no);
    EXPECT_EQ(presenter.boxes[1].style,
              platform::box_icon_question | platform::box_yes_no | platform::box_default_button_2);
    EXPECT_TRUE(presenter.boxes[1].default_no);
}

TEST_F(OperatorMessageTest, QuestionShownWithoutAskHasOkOnly) {
    OperatorMessage message(MessageKind::question, "q");
    message.show();
    EXPECT_FALSE(presenter.boxes.at(0).yes_no);
    EXPECT_EQ(presenter.boxes.at(0).style, platform::box_icon_question | platform::box_ok);
}

// Under Wine without a display (scripts/wine-run.sh) the system box cannot be shown and the
// same text results; on a desktop the box would wait for a person.
TEST(OperatorMessageDefault, WithoutPresenterWritesToStandardErrorAndAnswersNo) {
    if (testing_support::host_is_windows &&
        (std::getenv("HX4X_UNDER_WINE") == nullptr || std::getenv("DISPLAY") != nullptr)) {
        GTEST_SKIP() << "a Windows desktop would show the box and wait";
    }
    ::testing::internal::CaptureStderr();
    int answer = 0;
    {
        OperatorMessage message(MessageKind::question, "Proceed?");
        answer = message.ask();
    }
    EXPECT_EQ(answer, platform::answer_no);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Message: question: Proceed?\n");
}

}  // namespace
}  // namespace hx4x
