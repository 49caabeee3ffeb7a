#include "console/exit_status.hpp"

#include <array>

namespace hx4x {

namespace {

constexpr std::array<const char*, 10> meanings = {
    "success",
    "command line error",
    "firmware file missing or refused",
    "no instrument found or VISA unavailable",
    "the counter cannot be opened or identified, is in use by another loader, or several match",
    "preparation failed",
    "sending failed",
    "burning, reconnection or reset failed, or the counter still runs its previous firmware",
    "cancelled or declined, or no terminal to confirm on and no yes",
    "output could not be written",
};

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

std::string exit_status_table_text() {
    std::string table = "Exit status:\n";
    for (std::size_t code = 0; code < meanings.size(); ++code) {
        table += "  " + std::to_string(code) + "  " + meanings[code] + "\n";
    }
    return table;
}

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
