#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace hx4x {

// One moment of a step, as the terminal line shows it.
struct ProgressSnapshot {
    std::string caption;
    std::uint32_t position = 0;
    std::uint32_t max = 0;
    double elapsed_seconds = 0;
    bool burning = false;       // a sweeping bar and the elapsed time instead of a percentage
    bool show_records = false;  // sending: records done, rate and time left
    bool bytes_known = false;
    std::uint64_t bytes_done = 0;
};

// Whole percent of position in max, 0 to 100 (a max of 0 counts as done).
unsigned progress_percent(std::uint32_t position, std::uint32_t max);

// "[#####.....]": width characters in all, brackets included.
std::string progress_bar(std::uint32_t position, std::uint32_t max, std::size_t width);

// "[   <=>    ]": a block whose place follows position from 0 to 100.
std::string sweeping_bar(std::uint32_t position, std::size_t width);

// "mm:ss", minutes growing beyond two digits as needed.
std::string clock_text(std::uint64_t seconds);

// The line drawn on the terminal, cut to fit in columns - 1 characters so that it never
// wraps (a wrapped line cannot be redrawn in place).
std::string terminal_progress_line(const ProgressSnapshot& snapshot, std::size_t columns);

}  // namespace hx4x
