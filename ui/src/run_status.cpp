#include "ui/run_status.hpp"

namespace hx4x {

namespace {

// The status of a run that failed at each step.
ExitStatus failure_status(UpdateStep step) {
    switch (step) {
        case UpdateStep::start_check:
        case UpdateStep::parse:
            return ExitStatus::firmware_file;
        case UpdateStep::prepare:
            return ExitStatus::preparation;
        case UpdateStep::send:
            return ExitStatus::sending;
        case UpdateStep::burn:
        case UpdateStep::reconnect:
        case UpdateStep::verify:
        case UpdateStep::reset:
            return ExitStatus::burning;
        case UpdateStep::none:
        case UpdateStep::open:
            break;
    }
    return ExitStatus::counter;
}

}  // namespace

ExitStatus exit_status_for(const UpdateOutcome& outcome) {
    switch (outcome.end) {
        case StepEnd::done:
            return ExitStatus::success;
        case StepEnd::declined:
        case StepEnd::cancelled:
            return ExitStatus::cancelled;
        case StepEnd::failed:
            break;
    }
    return failure_status(outcome.step);
}

}  // namespace hx4x
