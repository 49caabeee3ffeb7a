#include "console/results_table.hpp"

#include <algorithm>
#include <array>

#include "console/visible_text.hpp"
#include "ui/update_history.hpp"

namespace hx4x {

namespace {

std::string seconds_text(const UpdateOutcome& outcome, std::uint64_t seconds) {
    return outcome.step >= UpdateStep::send ? std::to_string(seconds) + " s" : "-";
}

std::string or_dash(const std::string& value) {
    return value.empty() ? "-" : visible_name(value);
}

}  // namespace

std::string outcome_text(const CounterResult& result) {
    const UpdateOutcome& outcome = result.outcome;
    switch (outcome.end) {
        case StepEnd::done:
            return outcome.burned ? "updated" : "sent, not burnt";
        case StepEnd::declined:
            return "declined";
        case StepEnd::cancelled:
            return std::string("cancelled at ") + step_word(outcome.step);
        case StepEnd::failed:
            break;
    }
    return std::string("failed at ") + step_word(outcome.step);
}

std::string results_table(const std::vector<CounterResult>& results) {
    using Row = std::array<std::string, 8>;
    std::vector<Row> rows = {
        {"Counter", "Serial", "Before", "After", "Result", "Exit", "Sending", "Burning"}};
    for (const CounterResult& result : results) {
        const UpdateOutcome& outcome = result.outcome;
        rows.push_back({visible_name(result.resource), or_dash(outcome.before.serial_number),
                        or_dash(outcome.before.firmware_version),
                        or_dash(outcome.after.firmware_version), outcome_text(result),
                        std::to_string(exit_code(result.status)),
                        seconds_text(outcome, outcome.send_seconds),
                        seconds_text(outcome, outcome.burn_seconds)});
    }
    std::array<std::size_t, 8> widths{};
    for (const Row& row : rows) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            widths[i] = std::max(widths[i], row[i].size());
        }
    }
    std::string table;
    for (const Row& row : rows) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) {
            line += row[i];
            if (i + 1 < row.size()) {
                line.append(widths[i] - row[i].size() + 2, ' ');
            }
        }
        table += line + "\n";
    }
    return table;
}

}  // namespace hx4x
