#include <gtest/gtest.h>

#include "console/console_texts.hpp"
#include "console/exit_status.hpp"
#include "ui/controller_texts.hpp"

namespace hx4x {
namespace {

namespace text = controller_text;

struct OutcomeCase {
    const char* name;
    std::vector<ShownMessage> messages;
    ExitStatus status;
};

class ExitStatusFromMessages : public ::testing::TestWithParam<OutcomeCase> {};

TEST_P(ExitStatusFromMessages, MapsWhatTheRunShowed) {
    RunRecord record;
    record.messages = GetParam().messages;
    record.captions = {text::preparing_caption};
    EXPECT_EQ(exit_status_for(record), GetParam().status) << GetParam().name;
}

const std::string open_failure =
    std::string(text::open_failure_head) + "GPIB0::1::INSTR" + text::open_failure_tail;

INSTANTIATE_TEST_SUITE_P(
    EveryStatus, ExitStatusFromMessages,
    ::testing::Values(
        OutcomeCase{"success",
                    {{MessageKind::information, std::string(text::success_head) + "x"}},
                    ExitStatus::success},
        OutcomeCase{
            "no file", {{MessageKind::error, text::no_firmware_file}}, ExitStatus::firmware_file},
        OutcomeCase{"missing file",
                    {{MessageKind::error, std::string(text::firmware_file_missing) + "a.hex"}},
                    ExitStatus::firmware_file},
        OutcomeCase{"parse error",
                    {{MessageKind::error, "Error parsing file 'a.hex'\nbad"}},
                    ExitStatus::firmware_file},
        OutcomeCase{"not installed",
                    {{MessageKind::error, text::visa_not_installed}},
                    ExitStatus::no_instrument},
        OutcomeCase{
            "none found", {{MessageKind::error, text::no_instruments}}, ExitStatus::no_instrument},
        OutcomeCase{
            "init error", {{MessageKind::error, text::visa_init_error}}, ExitStatus::no_instrument},
        OutcomeCase{"open failure", {{MessageKind::error, open_failure}}, ExitStatus::counter},
        OutcomeCase{
            "several",
            {{MessageKind::error, std::string(console_text::several_counters_head) + "\ta"}},
            ExitStatus::counter},
        OutcomeCase{
            "not listed",
            {{MessageKind::error, std::string(console_text::counter_not_listed_head) + "a"}},
            ExitStatus::counter},
        OutcomeCase{
            "prepare", {{MessageKind::error, text::preparing_error}}, ExitStatus::preparation},
        OutcomeCase{"send", {{MessageKind::error, text::sending_error}}, ExitStatus::sending},
        OutcomeCase{"burn", {{MessageKind::error, text::update_failed}}, ExitStatus::burning},
        // The reconnection after the burn fails: the open failure comes first.
        OutcomeCase{"reconnect",
                    {{MessageKind::error, open_failure}, {MessageKind::error, text::update_failed}},
                    ExitStatus::burning},
        OutcomeCase{"cancel", {{MessageKind::warning, text::canceled}}, ExitStatus::cancelled},
        OutcomeCase{"interrupted early",
                    {{MessageKind::warning, console_text::interrupted_before_update}},
                    ExitStatus::cancelled},
        // The same texts with another kind, or the refusal warning, decide nothing.
        OutcomeCase{"wrong kind",
                    {{MessageKind::warning, text::sending_error},
                     {MessageKind::warning, console_text::burn_interrupt_refused}},
                    ExitStatus::preparation}));

TEST(ExitStatusTest, SilentEndsAreExplainedByTheAnswerOrTheCancelThenTheCaption) {
    RunRecord record;
    record.captions = {text::preparing_caption, text::parsing_caption};
    EXPECT_EQ(exit_status_for(record), ExitStatus::firmware_file);
    record.captions.push_back(text::sending_caption);
    EXPECT_EQ(exit_status_for(record), ExitStatus::sending);
    record.cancel_delivered = true;
    EXPECT_EQ(exit_status_for(record), ExitStatus::cancelled);
    RunRecord declined;
    declined.declined = true;
    declined.captions = {text::parsing_caption};
    EXPECT_EQ(exit_status_for(declined), ExitStatus::cancelled);
    EXPECT_EQ(exit_status_for(RunRecord{}), ExitStatus::counter);
}

TEST(ExitStatusTest, TableListsEveryCodeInOrder) {
    EXPECT_EQ(exit_status_table_text(),
              "Exit status:\n"
              "  0  success\n"
              "  1  command line error\n"
              "  2  firmware file missing or refused\n"
              "  3  no instrument found or VISA unavailable\n"
              "  4  the counter cannot be opened or identified, or several match\n"
              "  5  preparation failed\n"
              "  6  sending failed\n"
              "  7  burning or reconnection failed\n"
              "  8  cancelled or declined\n");
}

}  // namespace
}  // namespace hx4x
