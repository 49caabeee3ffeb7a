#include "console/progress_line.hpp"

#include <cmath>
#include <cstdio>

namespace hx4x {

namespace {

constexpr std::size_t bar_width = 22;
constexpr std::string_view sweep_block = "<=>";

std::string rate_text(std::uint64_t bytes, double seconds) {
    char text[48];
    const double rate = seconds > 0 ? static_cast<double>(bytes) / 1024.0 / seconds : 0.0;
    std::snprintf(text, sizeof text, "%.1f kB/s", rate);
    return text;
}

std::string time_left_text(const ProgressSnapshot& s) {
    if (s.position == 0 || s.elapsed_seconds <= 0 || s.position >= s.max) {
        return s.position >= s.max && s.max != 0 ? "00:00 left" : "--:-- left";
    }
    const double left = s.elapsed_seconds * static_cast<double>(s.max - s.position) /
                        static_cast<double>(s.position);
    return clock_text(static_cast<std::uint64_t>(std::ceil(left))) + " left";
}

}  // namespace

unsigned progress_percent(std::uint32_t position, std::uint32_t max) {
    if (max == 0 || position >= max) {
        return 100;
    }
    return static_cast<unsigned>(static_cast<std::uint64_t>(position) * 100 / max);
}

std::string progress_bar(std::uint32_t position, std::uint32_t max, std::size_t width) {
    if (width < 2) {
        return std::string(width, '[');
    }
    const std::size_t inner = width - 2;
    const std::size_t filled =
        max == 0 || position >= max
            ? inner
            : static_cast<std::size_t>(static_cast<std::uint64_t>(position) * inner / max);
    return "[" + std::string(filled, '#') + std::string(inner - filled, '.') + "]";
}

std::string sweeping_bar(std::uint32_t position, std::size_t width) {
    if (width < sweep_block.size() + 2) {
        return progress_bar(0, 1, width);
    }
    const std::size_t room = width - 2 - sweep_block.size();
    const std::uint32_t place = position > 100 ? 100 : position;
    const std::size_t before = room * place / 100;
    return "[" + std::string(before, ' ') + std::string(sweep_block) +
           std::string(room - before, ' ') + "]";
}

std::string clock_text(std::uint64_t seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%02llu:%02llu", static_cast<unsigned long long>(seconds / 60),
                  static_cast<unsigned long long>(seconds % 60));
    return text;
}

std::string terminal_progress_line(const ProgressSnapshot& s, std::size_t columns) {
    std::string line = s.caption + " ";
    const auto elapsed = static_cast<std::uint64_t>(s.elapsed_seconds < 0 ? 0 : s.elapsed_seconds);
    if (s.burning) {
        line += sweeping_bar(s.position, bar_width) + "  " + clock_text(elapsed);
    } else {
        char percent[8];
        std::snprintf(percent, sizeof percent, "%3u%%", progress_percent(s.position, s.max));
        line += progress_bar(s.position, s.max, bar_width) + " " + percent;
        if (s.show_records) {
            line += "  " + std::to_string(s.position) + "/" + std::to_string(s.max) + " records";
            if (s.bytes_known) {
                line += "  " + rate_text(s.bytes_done, s.elapsed_seconds);
            }
            line += "  " + time_left_text(s);
        }
    }
    if (columns > 0 && line.size() > columns - 1) {
        line.resize(columns - 1);
    }
    return line;
}

}  // namespace hx4x
