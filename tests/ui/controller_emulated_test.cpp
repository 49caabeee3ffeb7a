#include <gtest/gtest.h>

#include <algorithm>

#include "controller_fixture.hpp"
#include "firmware/sha256.hpp"
#include "special_files.hpp"
#include "temp_dir.hpp"
#include "ui/controller_texts.hpp"
#include "ui/format_duration.hpp"

namespace hx4x {
namespace {

using testing_support::EmulatedControllerTest;
using testing_support::RecordingView;
namespace text = controller_text;

const std::string emulated_address(emulated_resource_name);

std::string digest_of(const std::string& file) {
    std::string hex;
    std::uint64_t size = 0;
    return file_sha256(file, hex, size) ? hex : "(no digest)";
}

std::string confirmation(const std::string& file, const std::string& version_line) {
    return "Selected counter:\n\n"
           "\tVISA address:\t" +
           emulated_address +
           "\n"
           "\tManufacturer:\tValdmore Instruments\n"
           "\tModel:\t\tHX-40XL-Emulated\n"
           "\tSerial number:\t777777\n"
           "\tFirmware version:\tX1.12 30 Jun 1908 07:14\n"
           "\nSelected firmware file:\n\n\tFile name:\t" +
           file + "\n" + version_line + "\tSHA-256:\t" + digest_of(file) +
           "\n\n\nContinue with firmware update?";
}

TEST_F(EmulatedControllerTest, SuccessfulUpdateReportsNewVersionAndTimes) {
    // The update history of this test alone.
    const testing_support::TempDir state;
    const testing_support::ScopedEnvironment state_home("XDG_STATE_HOME", state.path().string());
    const testing_support::ScopedEnvironment local_data("LOCALAPPDATA", state.path().string());
    ASSERT_TRUE(controller.refresh_instruments());
    EXPECT_EQ(view.list, std::vector<std::string>{emulated_address});
    EXPECT_EQ(controller.selected_address(), emulated_address);

    controller.start_update();

    ASSERT_EQ(view.questions.size(), 1u);
    EXPECT_EQ(view.questions[0], confirmation(firmware, "\tFirmware version:\t1.15\n"));
    EXPECT_EQ(view.statuses,
              (std::vector<std::string>{text::preparing_caption, text::parsing_caption,
                                        text::sending_caption, text::burning_caption}));
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].kind, MessageKind::information);
    // The emulated burn waits 501 steps of 2 ms and 1000 ms: two whole seconds.
    EXPECT_EQ(view.messages[0].text,
              "Firmware update completed successfully\n\n"
              "Time for burning: 00 min 02 sec\n"
              "\nNew firmware version is:\n\tX1.12 30 Jun 1908 07:14");
    EXPECT_EQ(controller.send_seconds(), 0u);
    EXPECT_EQ(controller.burn_seconds(), 2u);
    EXPECT_FALSE(controller.update_running());
    EXPECT_FALSE(controller.protocol().session().is_open()) << "start closes the session";
    EXPECT_EQ(view.remembered, std::vector<std::string>{firmware});
    EXPECT_FALSE(view.progress_overflow);

    const std::vector<std::string> expected_calls{"refresh_identification", "enter_busy_state",
                                                  "hide_cancel", "refresh_identification",
                                                  "leave_busy_state"};
    EXPECT_EQ(view.calls, expected_calls);
    EXPECT_EQ(view.rows.at(4).value, "X1.12 30 Jun 1908 07:14");

    const UpdateOutcome& outcome = controller.outcome();
    EXPECT_TRUE(outcome.succeeded());
    EXPECT_EQ(outcome.step, UpdateStep::reconnect);
    EXPECT_EQ(outcome.before.serial_number, "777777");
    EXPECT_EQ(outcome.after.firmware_version, "X1.12 30 Jun 1908 07:14");
    EXPECT_EQ(outcome.file, firmware);
    EXPECT_EQ(outcome.file_version.text, "1.15");
    EXPECT_TRUE(outcome.burned);
    EXPECT_EQ(outcome.burn_seconds, 2u);
    // The rate of the sending line rests on this: the file's 256 data bytes, record by record.
    ASSERT_GE(outcome.bytes_after_records.size(), 3u);
    EXPECT_EQ(outcome.bytes_after_records.front(), 0u);
    EXPECT_EQ(outcome.bytes_after_records[1], 16u);
    EXPECT_EQ(outcome.bytes_after_records.back(), 256u);

    // The window's update is in the history too: one whole line, with the file's digest.
    EXPECT_EQ(controller.history_failure(), "");
    const std::string history = testing_support::read_file(state.file("hx4x-update/history.jsonl"));
    EXPECT_EQ(std::count(history.begin(), history.end(), '\n'), 1);
    EXPECT_NE(history.find("\"file_sha256\":\"" + digest_of(firmware) + "\""), std::string::npos)
        << history;
}

TEST_F(EmulatedControllerTest, FileWithoutVersionLeavesTheLineOut) {
    testing_support::write_file(firmware, testing_support::firmware_hex_text(""));
    controller.refresh_instruments();
    controller.start_update();
    ASSERT_EQ(view.questions.size(), 1u);
    EXPECT_EQ(view.questions[0], confirmation(firmware, ""));
    EXPECT_EQ(view.messages.back().kind, MessageKind::information);
}

TEST_F(EmulatedControllerTest, SkipBurningSucceedsWithoutBurnCaptionOrLine) {
    controller.set_skip_burning(true);
    controller.refresh_instruments();
    controller.start_update();
    EXPECT_EQ(view.statuses,
              (std::vector<std::string>{text::preparing_caption, text::parsing_caption,
                                        text::sending_caption}));
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text,
              "Firmware update completed successfully\n\n"
              "\nNew firmware version is:\n\tX1.12 30 Jun 1908 07:14");
    EXPECT_TRUE(controller.outcome().succeeded());
    EXPECT_FALSE(controller.outcome().burned);
}

TEST_F(EmulatedControllerTest, NoAtConfirmationStopsSilently) {
    view.answer_yes = false;
    controller.refresh_instruments();
    controller.start_update();
    EXPECT_EQ(view.questions.size(), 1u);
    EXPECT_TRUE(view.messages.empty());
    EXPECT_EQ(view.statuses.back(), text::parsing_caption);
    EXPECT_EQ(view.calls.back(), "leave_busy_state");
    EXPECT_EQ(controller.outcome().step, UpdateStep::parse);
    EXPECT_EQ(controller.outcome().end, StepEnd::declined);
}

TEST_F(EmulatedControllerTest, StartChecksTheFileBox) {
    controller.refresh_instruments();
    view.file_box.clear();
    controller.start_update();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, "You need to specify firmware file before starting update");
    EXPECT_TRUE(view.statuses.empty());

    view.file_box = dir.file("missing.hex");
    controller.start_update();
    ASSERT_EQ(view.messages.size(), 2u);
    EXPECT_EQ(view.messages[1].kind, MessageKind::error);
    EXPECT_EQ(view.messages[1].text, "Firmware file doesn't exist:\n" + dir.file("missing.hex"));
    EXPECT_TRUE(view.statuses.empty());
    EXPECT_FALSE(controller.protocol().session().is_open());
    EXPECT_EQ(controller.outcome().step, UpdateStep::start_check);
    EXPECT_EQ(controller.outcome().end, StepEnd::failed);
}

TEST_F(EmulatedControllerTest, StartActsOnlyOnTheUpdatePage) {
    controller.refresh_instruments();
    view.page = page_instruments;
    controller.start_update();
    EXPECT_TRUE(view.statuses.empty());
    EXPECT_TRUE(view.calls.empty());
}

TEST_F(EmulatedControllerTest, BadFileShowsHeadingAndReaderText) {
    testing_support::write_file(firmware, " :00000001FF\n");
    controller.refresh_instruments();
    controller.start_update();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].kind, MessageKind::error);
    EXPECT_EQ(view.messages[0].text,
              "Error parsing file '" + firmware +
                  "'\nLine #1: First symbol of each record should be ':', but found symbol ' ' "
                  "(ASCII code: dec=032, hex=0x20)");
    EXPECT_TRUE(view.questions.empty());
    EXPECT_EQ(controller.outcome().step, UpdateStep::parse);
    EXPECT_EQ(controller.outcome().end, StepEnd::failed);
}

// A FIFO exists, so it passes the start check; reading it must not wait for a writer.
TEST_F(EmulatedControllerTest, AFifoIsRefusedWithoutWaiting) {
    const std::string fifo = dir.file("fifo.hex");
    if (!testing_support::make_fifo(fifo)) {
        GTEST_SKIP() << "POSIX only: no FIFO at a path on this system";
    }
    view.file_box = fifo;
    controller.refresh_instruments();
    controller.start_update();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text,
              "Error parsing file '" + fifo + "'\nCould not open file for reading");
}

TEST_F(EmulatedControllerTest, NothingFoundNamesTheVisaState) {
    set_emulated_version(0);
    without_visa();
    view.page = page_instruments;
    controller.set_selected_address("GPIB0::3::INSTR");
    EXPECT_FALSE(controller.refresh_instruments());
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, "VISA Runtime is not installed");
    EXPECT_EQ(view.calls, std::vector<std::string>{"buttons none"});
    EXPECT_EQ(controller.selected_address(), "") << "an absent counter is forgotten";
}

TEST_F(EmulatedControllerTest, AutoStartWithoutInstrumentsGoesToTheInstrumentsPage) {
    set_emulated_version(0);
    without_visa();
    view.page = page_update;
    controller.auto_start();
    EXPECT_EQ(view.page, page_instruments);
    EXPECT_TRUE(view.statuses.empty());
}

TEST_F(EmulatedControllerTest, DropWhileIdleStartsOnPageTwoOnly) {
    view.page = page_instruments;
    const std::string dropped = dir.file("dropped.hex");
    testing_support::write_file(dropped, testing_support::firmware_hex_text("2.03"));
    controller.file_dropped(dropped);
    view.run_posted_events();
    EXPECT_EQ(controller.firmware_file(), dropped);
    EXPECT_TRUE(view.statuses.empty()) << "page 1: the list is refreshed, nothing else";
    EXPECT_EQ(view.list.size(), 1u);

    view.page = page_update;
    controller.file_dropped(dropped);
    view.run_posted_events();
    ASSERT_EQ(view.questions.size(), 1u);
    EXPECT_NE(view.questions[0].find("\tFile name:\t" + dropped + "\n\tFirmware version:\t2.03\n"),
              std::string::npos);
    EXPECT_EQ(view.messages.back().kind, MessageKind::information);
}

TEST_F(EmulatedControllerTest, AutoStartOnEachPage) {
    for (const int page : {page_readme, page_instruments, page_update}) {
        view.page = page;
        view.statuses.clear();
        view.messages.clear();
        controller.auto_start();
        EXPECT_EQ(view.list.size(), 1u) << "page " << page << ": the list is refreshed";
        if (page == page_update) {
            EXPECT_EQ(view.statuses.size(), 4u);
            EXPECT_EQ(view.messages.back().kind, MessageKind::information);
        } else {
            EXPECT_TRUE(view.statuses.empty()) << "page " << page;
            EXPECT_EQ(view.page, page) << "instruments were found: the page stays";
        }
    }
}

TEST_F(EmulatedControllerTest, AutoRefreshActsOnlyOnTheInstrumentsPage) {
    view.page = page_readme;
    controller.auto_refresh();
    EXPECT_TRUE(view.list.empty());
    view.page = page_instruments;
    controller.auto_refresh();
    EXPECT_EQ(view.list.size(), 1u);
    EXPECT_EQ(view.calls, std::vector<std::string>{"buttons found"});
}

TEST_F(EmulatedControllerTest, CloseWhenIdleSavesAndCloses) {
    controller.request_close();
    EXPECT_EQ(view.calls, (std::vector<std::string>{"save_settings", "close_window"}));
}

TEST(FormatDuration, MinutesAndSecondsPadded) {
    EXPECT_EQ(format_duration(0), "00 min 00 sec");
    EXPECT_EQ(format_duration(125), "02 min 05 sec");
    EXPECT_EQ(format_duration(6000), "100 min 00 sec");
    EXPECT_EQ(format_duration(59), "00 min 59 sec");
}

}  // namespace
}  // namespace hx4x
