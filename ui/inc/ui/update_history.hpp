#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ui/run_status.hpp"
#include "ui/update_outcome.hpp"

namespace hx4x {

// One update run as the update history keeps it: enough to prove later which firmware file
// (by its SHA-256) a counter's serial number received, on which station, by which program.
// Texts are as read from the counter and the system; an empty text is stored as null.
struct HistoryRecord {
    std::string time;  // UTC, "2026-12-09T21:40:05Z"
    std::string host;
    std::string program;
    std::string program_version;
    std::string resource;
    std::string manufacturer;
    std::string model;
    std::string serial_number;
    std::string firmware_before;
    std::string firmware_after;  // empty unless the counter was reconnected after the burn
    std::string file;
    std::uint64_t file_size = 0;
    std::string file_sha256;   // 64 lower-case hex digits; empty when the file was not read
    std::string file_version;  // the file's version tag; empty when it carries none
    std::string step;          // step_word of the step the run reached: "send"
    std::string end;           // end_word of how it ended there: "failed"
    bool burned = false;       // the counter confirmed the burn (false with skip_burning)
    int exit_status = -1;      // -1 in a stored line that has none
    std::uint64_t sending_seconds = 0;
    std::uint64_t burning_seconds = 0;

    bool operator==(const HistoryRecord&) const = default;
};

// When, where and by which program a record is made.
struct HistoryStamp {
    std::string time;
    std::string host;
    std::string program;          // InternalName of the program's own version record
    std::string program_version;  // its file version
};

// Now, this computer, and the running program as its version record names it (read once;
// empty texts when the program carries none).
HistoryStamp current_history_stamp();

// The lower-case words a record stores: "prepare", "send", ...; "done", "failed", ...
const char* step_word(UpdateStep step);
const char* end_word(StepEnd end);

// The run got as far as preparing the counter (or further): only such runs changed, or may
// have changed, a counter, so only they are recorded. Opening, the start check and a lone
// reset are not.
bool reached_preparation(const UpdateOutcome& outcome);

HistoryRecord history_record(const UpdateOutcome& outcome, ExitStatus status,
                             const HistoryStamp& stamp);
// The same, stamped with current_history_stamp().
HistoryRecord history_record(const UpdateOutcome& outcome, ExitStatus status);

// The record as one JSON object on one line ("event":"update" first), ending in a line feed.
// Control characters and bytes that are no UTF-8 in its texts are escaped, so the line is
// valid JSON whatever a counter answered.
std::string history_line(const HistoryRecord& record);

// The history file in the user's folder for program state (hx4x-update/history.jsonl);
// empty when the user has none. Nothing is created.
std::string history_file();

// Appends the record's line to the history file, creating its folder (private to the user)
// when needed. Several stations or programs may append at once: each line lands whole.
// False with one line in reason when it was not written.
bool append_history(const HistoryRecord& record, std::string* reason = nullptr);
// The same for the file at the path (its folder must exist).
bool append_history_to(const std::string& path, const HistoryRecord& record,
                       std::string* reason = nullptr);

// One line of a history file as read back.
struct HistoryEntry {
    std::size_t line_number = 0;  // from 1
    std::string line;             // as stored, without its line end; empty when too long
    bool readable = false;        // the line is a JSON object (of any members)
    HistoryRecord record;         // the members found; missing or mistyped ones stay empty
};

// Bounds on what a reader takes in: a history is written by us, but may be damaged or
// replaced by anything.
struct HistoryLimits {
    std::size_t line_bytes = std::size_t{64} << 10;
    std::uint64_t file_bytes = std::uint64_t{64} << 20;
};

// Every line of the history file, in file order; blank lines are left out. A line that is
// no JSON object, or longer than the limit, is kept as not readable: it does not stop the
// reading. A missing file is an empty history. False with one line in reason when the file
// cannot be opened or read, or is larger than the limit; entries is then empty.
bool read_history(const std::string& path, std::vector<HistoryEntry>& entries,
                  std::string* reason = nullptr, const HistoryLimits& limits = {});

// The record is of the counter named: its address (VISA names compare without regard to
// letter case) or its serial number (exactly). An empty filter matches every record.
bool history_matches(const HistoryRecord& record, const std::string& filter);

}  // namespace hx4x
