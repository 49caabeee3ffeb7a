#include <gtest/gtest.h>

#include "console/exit_status.hpp"

namespace hx4x {
namespace {

struct OutcomeCase {
    const char* name;
    UpdateStep step;
    StepEnd end;
    ExitStatus status;
};

class ExitStatusFromOutcome : public ::testing::TestWithParam<OutcomeCase> {};

TEST_P(ExitStatusFromOutcome, MapsHowTheRunEnded) {
    UpdateOutcome outcome;
    outcome.step = GetParam().step;
    outcome.end = GetParam().end;
    EXPECT_EQ(exit_status_for(outcome), GetParam().status);
}

INSTANTIATE_TEST_SUITE_P(
    EveryStatus, ExitStatusFromOutcome,
    ::testing::Values(
        OutcomeCase{"Success", UpdateStep::reconnect, StepEnd::done, ExitStatus::success},
        OutcomeCase{"NothingStarted", UpdateStep::none, StepEnd::failed, ExitStatus::counter},
        OutcomeCase{"OpenFailed", UpdateStep::open, StepEnd::failed, ExitStatus::counter},
        OutcomeCase{"NoOrMissingFile", UpdateStep::start_check, StepEnd::failed,
                    ExitStatus::firmware_file},
        OutcomeCase{"PrepareFailed", UpdateStep::prepare, StepEnd::failed, ExitStatus::preparation},
        OutcomeCase{"PrepareCancelled", UpdateStep::prepare, StepEnd::cancelled,
                    ExitStatus::cancelled},
        OutcomeCase{"FileRefused", UpdateStep::parse, StepEnd::failed, ExitStatus::firmware_file},
        OutcomeCase{"Declined", UpdateStep::parse, StepEnd::declined, ExitStatus::cancelled},
        OutcomeCase{"SendFailed", UpdateStep::send, StepEnd::failed, ExitStatus::sending},
        OutcomeCase{"SendCancelled", UpdateStep::send, StepEnd::cancelled, ExitStatus::cancelled},
        OutcomeCase{"BurnFailed", UpdateStep::burn, StepEnd::failed, ExitStatus::burning},
        OutcomeCase{"ReconnectFailed", UpdateStep::reconnect, StepEnd::failed, ExitStatus::burning},
        OutcomeCase{"PreviousFirmwareStillRuns", UpdateStep::verify, StepEnd::failed,
                    ExitStatus::burning},
        OutcomeCase{"ResetFailed", UpdateStep::reset, StepEnd::failed, ExitStatus::burning}),
    [](const ::testing::TestParamInfo<OutcomeCase>& param) { return param.param.name; });

TEST(ExitStatusTest, TableListsEveryCodeInOrder) {
    EXPECT_EQ(exit_status_table_text(),
              "Exit status:\n"
              "  0  success\n"
              "  1  command line error\n"
              "  2  firmware file missing or refused\n"
              "  3  no instrument found or VISA unavailable\n"
              "  4  the counter cannot be opened or identified, is in use by another loader, or "
              "several match\n"
              "  5  preparation failed\n"
              "  6  sending failed\n"
              "  7  burning, reconnection or reset failed, or the counter still runs its previous "
              "firmware\n"
              "  8  cancelled or declined, or no terminal to confirm on and no yes\n"
              "  9  output could not be written\n"
              "  10  the update history cannot be read\n");
}

}  // namespace
}  // namespace hx4x
