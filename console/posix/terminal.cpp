#include "console/terminal.hpp"

#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

namespace hx4x {

namespace {

constexpr int poll_slice_ms = 100;
constexpr std::size_t fallback_width = 80;

}  // namespace

bool is_terminal(std::FILE* stream) {
    return stream != nullptr && isatty(fileno(stream)) == 1;
}

std::size_t terminal_width(std::FILE* stream) {
    winsize size{};
    if (stream == nullptr || ioctl(fileno(stream), TIOCGWINSZ, &size) != 0 || size.ws_col == 0) {
        return fallback_width;
    }
    return size.ws_col;
}

LineResult read_terminal_line(int descriptor, std::string& line,
                              const std::function<bool()>& interrupted, std::size_t max_length) {
    line.clear();
    for (;;) {
        if (interrupted && interrupted()) {
            return LineResult::interrupted;
        }
        pollfd poller{descriptor, POLLIN, 0};
        const int ready = poll(&poller, 1, poll_slice_ms);
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            return LineResult::end_of_input;
        }
        if (ready == 0) {
            continue;
        }
        char c = 0;
        const ssize_t got = read(descriptor, &c, 1);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return line.empty() ? LineResult::end_of_input : LineResult::line;
        }
        if (c == '\n') {
            return LineResult::line;
        }
        if (c != '\r' && line.size() < max_length) {
            line += c;
        }
    }
}

}  // namespace hx4x
