#include "platform/process_info.hpp"

#include <unistd.h>

#include <array>
#include <ctime>

namespace hx4x::platform {

std::uint64_t process_id() {
    return static_cast<std::uint64_t>(getpid());
}

std::uint64_t user_id() {
    return static_cast<std::uint64_t>(getuid());
}

std::string utc_time_text() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    char text[32] = "";
    if (gmtime_r(&now, &parts) == nullptr ||
        std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts) == 0) {
        return {};
    }
    return text;
}

std::string host_name() {
    // POSIX leaves a cut name unterminated: one byte more than the longest name is kept zero.
    std::array<char, 256> name{};
    if (gethostname(name.data(), name.size() - 1) != 0) {
        return {};
    }
    return name.data();
}

}  // namespace hx4x::platform
