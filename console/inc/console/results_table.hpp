#pragma once

#include <string>
#include <vector>

#include "console/several_counters.hpp"

namespace hx4x {

// How a counter's update ended, in a few words and with the update history's step names:
// "updated", "failed at send", "cancelled at prepare", "declined" and so on.
std::string outcome_text(const CounterResult& result);

// One row per counter under a header: address, serial number, version before and after,
// outcome, exit status, sending and burning seconds; columns as wide as their widest cell,
// every text from a counter shown visibly.
std::string results_table(const std::vector<CounterResult>& results);

}  // namespace hx4x
