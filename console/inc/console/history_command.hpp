#pragma once

#include <string>

#include "console/console_output.hpp"
#include "ui/run_status.hpp"

namespace hx4x {

inline constexpr ExitStatus history_unreadable = ExitStatus::history;

// The history command on the user's update history: a table of the recorded updates in file
// order (or, with JSON, each stored line as it is), only those of the counter named by
// counter_filter (its address or serial number) when that is not empty, then with JSON the
// closing result object with the number of entries shown. An empty or missing history is no
// error. Lines that hold no record are skipped with one warning.
ExitStatus show_history(ConsoleOutput& output, const std::string& counter_filter);

// The same for the history file at the path.
ExitStatus show_history_file(ConsoleOutput& output, const std::string& path,
                             const std::string& counter_filter);

}  // namespace hx4x
