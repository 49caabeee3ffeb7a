#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "console/console_output.hpp"
#include "console/progress_line.hpp"

namespace hx4x {

enum class ProgressMode {
    terminal,  // one line redrawn in place
    plain,     // the caption, then one line per 10 percent (per 10 seconds while burning)
    json,      // step and progress objects, at most 10 progress objects per step
};

// Turns the controller's caption and bar into console output. Time comes from the clock
// behind the protocol's pauses, so a fake clock in tests gives exact rates and times.
class ProgressRenderer {
  public:
    ProgressRenderer(ConsoleOutput& output, ProgressMode mode) : output_(output), mode_(mode) {}

    ProgressMode mode() const { return mode_; }

    // The counter the progress is of: named in every JSON event and, with prefix, in front of
    // every plain line. With a board line the terminal drawing goes there instead of to the
    // terminal, for a board that shows one line per counter.
    // The board line starts with board_label (the address padded to the board's widest).
    void set_resource(std::string resource, bool prefix = false, std::string* board_line = nullptr,
                      std::string board_label = {});

    void begin_step(const std::string& caption, bool burning, bool show_records);
    void set_range(std::uint32_t max);
    void set_position(std::uint32_t position);
    // Bytes sent once n records are sent, at index n; lets the line show a rate.
    void set_record_bytes(std::vector<std::uint64_t> bytes_after_records);
    // The run is over: the last line stays.
    void end();

  private:
    double elapsed_seconds() const;
    void draw(bool force);
    void report_deciles();

    // A JSON event with the resource, when one is set.
    JsonObject event(const char* name) const;
    void plain_line(const std::string& text);

    ConsoleOutput& output_;
    ProgressMode mode_;
    std::string resource_;
    bool prefix_ = false;
    std::string* board_line_ = nullptr;
    std::string board_label_;
    bool active_ = false;
    ProgressSnapshot snapshot_;
    std::vector<std::uint64_t> record_bytes_;
    std::int64_t step_start_ = 0;
    unsigned reported_decile_ = 0;
    std::uint64_t reported_burn_seconds_ = 0;
    std::string last_line_;
    double last_draw_seconds_ = -1;
    unsigned last_mark_ = 0;
};

}  // namespace hx4x
