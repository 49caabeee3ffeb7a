#pragma once

// The history command's own texts.
namespace hx4x::history_command_text {

inline constexpr const char* nothing_recorded = "No updates recorded yet.";
// The counter asked for follows.
inline constexpr const char* nothing_recorded_for = "No updates recorded for the counter ";

// The table's heading: one line per update, the second naming the counter's address and the
// first 12 hex digits of the firmware file's SHA-256 (the JSON lines hold all 64).
inline constexpr const char* time_heading = "Time (UTC)";
inline constexpr const char* serial_heading = "Serial";
inline constexpr const char* before_heading = "Before";
inline constexpr const char* after_heading = "After";
inline constexpr const char* outcome_heading = "Outcome";
inline constexpr const char* exit_heading = "Exit";
inline constexpr const char* send_heading = "Send s";
inline constexpr const char* burn_heading = "Burn s";
inline constexpr const char* second_line_heading = "  Counter address, firmware file SHA-256";

inline constexpr const char* sha256_label = "sha256 ";
inline constexpr const char* no_value = "-";
// The outcome column: how the run ended, then the step it ended at ("failed at send").
inline constexpr const char* at_step = " at ";
inline constexpr const char* not_burned = ", not burned";

// Lines that hold no update record: the count, the middle, the first one's number, the tail,
// then the file.
inline constexpr const char* skipped_head = "Skipped ";
inline constexpr const char* skipped_middle =
    " line(s) of the update history that hold no update record (the first is line ";
inline constexpr const char* skipped_tail = "): ";

}  // namespace hx4x::history_command_text
