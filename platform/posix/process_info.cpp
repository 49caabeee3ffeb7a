#include "platform/process_info.hpp"

#include <unistd.h>

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

}  // namespace hx4x::platform
