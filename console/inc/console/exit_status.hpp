#pragma once

#include <string>

#include "ui/update_outcome.hpp"

namespace hx4x {

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
};

// One line per status: the code and what it means, for the usage text and the README.
std::string exit_status_table_text();

// The status of an update from how the controller says it ended.
ExitStatus exit_status_for(const UpdateOutcome& outcome);

inline int exit_code(ExitStatus status) {
    return static_cast<int>(status);
}

}  // namespace hx4x
