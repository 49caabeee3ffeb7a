#pragma once

#include "ui/update_outcome.hpp"

namespace hx4x {

// How a run ended, as the console's exit status and as the update history records it for
// either program.
enum class ExitStatus : int {
    success = 0,
    command_line = 1,
    firmware_file = 2,
    no_instrument = 3,
    counter = 4,
    preparation = 5,
    sending = 6,
    burning = 7,
    cancelled = 8,
    output = 9,
    history = 10,
};

// The status of an update from how the controller says it ended.
ExitStatus exit_status_for(const UpdateOutcome& outcome);

inline int exit_code(ExitStatus status) {
    return static_cast<int>(status);
}

}  // namespace hx4x
