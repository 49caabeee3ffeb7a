#include "console/history_command.hpp"

#include <algorithm>
#include <array>
#include <cstddef>
#include <vector>

#include "console/console_result.hpp"
#include "console/console_texts.hpp"
#include "console/history_texts.hpp"
#include "console/visible_text.hpp"
#include "ui/update_history.hpp"

namespace hx4x {

namespace {

namespace text = history_command_text;

// A text from the file (a counter's answer, a hand-edited line) cannot widen the table
// beyond reading: longer cells are cut.
constexpr std::size_t cell_limit = 24;
constexpr std::size_t shown_sha256_digits = 12;
constexpr const char* column_gap = "  ";

enum Column : std::size_t { time, serial, before, after, outcome, exit, send, burn, column_count };
using Row = std::array<std::string, column_count>;

constexpr bool right_aligned(std::size_t column) {
    return column == exit || column == send || column == burn;
}

// Characters on the terminal: bytes less the continuation bytes of UTF-8 sequences.
std::size_t shown_width(const std::string& cell) {
    return static_cast<std::size_t>(std::count_if(cell.begin(), cell.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

// The text made visible, "-" when empty, cut at the limit without splitting a character.
std::string cell(const std::string& value, std::size_t limit = cell_limit) {
    if (value.empty()) {
        return text::no_value;
    }
    std::string shown = visible_name(value);
    if (shown_width(shown) <= limit) {
        return shown;
    }
    std::size_t kept = 0;
    std::size_t at = 0;
    for (; at < shown.size(); ++at) {
        if ((static_cast<unsigned char>(shown[at]) & 0xC0) != 0x80 && ++kept > limit - 3) {
            break;
        }
    }
    return shown.substr(0, at) + "...";
}

std::string number_cell(std::uint64_t value) {
    return std::to_string(value);
}

std::string outcome_cell(const HistoryRecord& record) {
    if (record.end.empty()) {
        return text::no_value;
    }
    if (record.end == "done") {
        return record.burned ? std::string("done") : std::string("done") + text::not_burned;
    }
    std::string outcome = record.end;
    if (!record.step.empty()) {
        outcome += text::at_step + record.step;
    }
    return cell(outcome);
}

Row row_of(const HistoryRecord& record) {
    Row row;
    row[time] = cell(record.time);
    row[serial] = cell(record.serial_number);
    row[before] = cell(record.firmware_before);
    row[after] = cell(record.firmware_after);
    row[outcome] = outcome_cell(record);
    row[exit] =
        record.exit_status < 0 ? std::string(text::no_value) : std::to_string(record.exit_status);
    row[send] = number_cell(record.sending_seconds);
    row[burn] = number_cell(record.burning_seconds);
    return row;
}

// The counter's address and the start of the file's digest, under the row.
std::string second_line(const HistoryRecord& record) {
    const std::string digest =
        record.file_sha256.empty()
            ? std::string(text::no_value)
            : visible_name(record.file_sha256.substr(0, shown_sha256_digits));
    // The address is not cut: it names the counter to look for.
    return std::string(column_gap) +
           (record.resource.empty() ? std::string(text::no_value) : visible_name(record.resource)) +
           column_gap + text::sha256_label + digest;
}

std::string table_line(const Row& row, const std::array<std::size_t, column_count>& widths) {
    std::string line;
    for (std::size_t column = 0; column < column_count; ++column) {
        const std::size_t padding = widths[column] - shown_width(row[column]);
        if (column != 0) {
            line += column_gap;
        }
        if (right_aligned(column)) {
            line.append(padding, ' ');
            line += row[column];
        } else {
            line += row[column];
            if (column + 1 != column_count) {
                line.append(padding, ' ');
            }
        }
    }
    return line;
}

void show_table(ConsoleOutput& output, const std::vector<const HistoryEntry*>& shown) {
    const Row heading = {text::time_heading,  text::serial_heading,  text::before_heading,
                         text::after_heading, text::outcome_heading, text::exit_heading,
                         text::send_heading,  text::burn_heading};
    std::vector<Row> rows;
    rows.reserve(shown.size());
    std::array<std::size_t, column_count> widths{};
    for (std::size_t column = 0; column < column_count; ++column) {
        widths[column] = shown_width(heading[column]);
    }
    for (const HistoryEntry* entry : shown) {
        rows.push_back(row_of(entry->record));
        for (std::size_t column = 0; column < column_count; ++column) {
            widths[column] = std::max(widths[column], shown_width(rows.back()[column]));
        }
    }
    output.result_line(table_line(heading, widths) + "\n" + text::second_line_heading);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        output.result_line(table_line(rows[i], widths) + "\n" + second_line(shown[i]->record));
    }
}

// A stored line for standard output as it is, unless it holds what a terminal would act on.
// In a line that is valid JSON a control character can stand only between the tokens (as
// blank space), DEL and the C1 controls only inside strings: both are written so that the
// line still reads as the same JSON.
std::string terminal_safe_json(const std::string& line) {
    std::string safe;
    safe.reserve(line.size());
    static constexpr char digits[] = "0123456789abcdef";
    for (std::size_t i = 0; i < line.size(); ++i) {
        const auto byte = static_cast<unsigned char>(line[i]);
        const bool c1 = byte == 0xC2 && i + 1 < line.size() &&
                        static_cast<unsigned char>(line[i + 1]) >= 0x80 &&
                        static_cast<unsigned char>(line[i + 1]) <= 0x9F;
        if (byte < 0x20) {
            safe += ' ';
        } else if (byte == 0x7F || c1) {
            const unsigned code = c1 ? static_cast<unsigned char>(line[++i]) : byte;
            safe += "\\u00";
            safe += digits[code >> 4];
            safe += digits[code & 0x0F];
        } else {
            safe += line[i];
        }
    }
    return safe;
}

void warn_skipped(ConsoleOutput& output, const std::string& path,
                  const std::vector<HistoryEntry>& entries) {
    std::size_t skipped = 0;
    std::size_t first = 0;
    for (const HistoryEntry& entry : entries) {
        if (!entry.readable && skipped++ == 0) {
            first = entry.line_number;
        }
    }
    if (skipped != 0) {
        output.message_line(console_text::warning_prefix,
                            text::skipped_head + std::to_string(skipped) + text::skipped_middle +
                                std::to_string(first) + text::skipped_tail + visible_name(path));
    }
}

ExitStatus finish_json(ConsoleOutput& output, std::size_t entries, const std::string& result,
                       ExitStatus status) {
    if (output.json()) {
        JsonObject object = outcome_start();
        object.add_number("entries", static_cast<std::int64_t>(entries));
        output.json_line(outcome_end(object, result, status));
    }
    return status;
}

}  // namespace

ExitStatus show_history(ConsoleOutput& output, const std::string& counter_filter) {
    return show_history_file(output, history_file(), counter_filter);
}

ExitStatus show_history_file(ConsoleOutput& output, const std::string& path,
                             const std::string& counter_filter) {
    std::vector<HistoryEntry> entries;
    std::string reason;
    // No folder for program state: nothing can have been recorded.
    if (!path.empty() && !read_history(path, entries, &reason)) {
        output.message_line(console_text::error_prefix, reason);
        return finish_json(output, 0, reason, history_unreadable);
    }
    std::vector<const HistoryEntry*> shown;
    for (const HistoryEntry& entry : entries) {
        if (entry.readable && history_matches(entry.record, counter_filter)) {
            shown.push_back(&entry);
        }
    }
    std::string result;
    if (shown.empty()) {
        result = counter_filter.empty() ? std::string(text::nothing_recorded)
                                        : text::nothing_recorded_for + counter_filter;
        if (!output.json()) {
            output.result_line(counter_filter.empty()
                                   ? result
                                   : text::nothing_recorded_for + visible_name(counter_filter));
        }
    } else if (output.json()) {
        for (const HistoryEntry* entry : shown) {
            output.result_line(terminal_safe_json(entry->line));
        }
    } else {
        show_table(output, shown);
    }
    warn_skipped(output, path, entries);
    return finish_json(output, shown.size(), result, ExitStatus::success);
}

}  // namespace hx4x
