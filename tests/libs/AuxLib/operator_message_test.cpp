#include "AuxLib/operator_message.hpp"

#include <gtest/gtest.h>

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
    EXPECT_EQ(message.show(), platform::IDOK);
    EXPECT_EQ(message.show(), 0);
    ASSERT_EQ(presenter.boxes.size(), 1u);
    const MessageBoxRequest& box = presenter.boxes[0];
    EXPECT_EQ(box.title, "LTA5x/LMA5x Firmware Loader");
    EXPECT_EQ(box.text, "Error sending firmware to the counter");
    EXPECT_EQ(box.kind, MessageKind::error);
    EXPECT_EQ(box.style, platform::MB_ICONERROR | platform::MB_OK);
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
    EXPECT_EQ(presenter.boxes[0].style, platform::MB_ICONWARNING);
}

TEST_F(OperatorMessageTest, QuestionDefaultButtonFollowsDefaultAnswer) {
    presenter.answer = platform::IDNO;
    OperatorMessage yes_default(MessageKind::question, "Start?");
    EXPECT_EQ(yes_default.ask(), platform::IDNO);
    EXPECT_EQ(yes_default.ask(), 0);
    OperatorMessage no_default(MessageKind::question, "Start?");
    no_default.set_default_answer(DefaultAnswer::no).ask();
    ASSERT_EQ(presenter.boxes.size(), 2u);
    EXPECT_EQ(presenter.boxes[0].style, platform::MB_ICONQUESTION | platform::MB_YESNO);
    EXPECT_FALSE(presenter.boxes[0].default_no);
    EXPECT_EQ(presenter.boxes[1].style,
              platform::MB_ICONQUESTION | platform::MB_YESNO | platform::MB_DEFBUTTON2);
    EXPECT_TRUE(presenter.boxes[1].default_no);
}

TEST_F(OperatorMessageTest, QuestionShownWithoutAskHasOkOnly) {
    OperatorMessage message(MessageKind::question, "q");
    message.show();
    EXPECT_FALSE(presenter.boxes.at(0).yes_no);
    EXPECT_EQ(presenter.boxes.at(0).style, platform::MB_ICONQUESTION | platform::MB_OK);
}

TEST(OperatorMessageDefault, WithoutPresenterWritesToStandardErrorAndAnswersNo) {
    ::testing::internal::CaptureStderr();
    int answer = 0;
    {
        OperatorMessage message(MessageKind::question, "Proceed?");
        answer = message.ask();
    }
    EXPECT_EQ(answer, platform::IDNO);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Message: question: Proceed?\n");
}

}  // namespace
}  // namespace hx4x
