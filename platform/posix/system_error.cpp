#include "platform/system_error.hpp"

#include <cerrno>
#include <cstring>

namespace hx4x::platform {

std::uint32_t last_error() {
    return static_cast<std::uint32_t>(errno);
}

void set_last_error(std::uint32_t code) {
    errno = static_cast<int>(code);
}

namespace {

// glibc offers the GNU strerror_r, other C libraries the XSI one; these two overloads
// accept whichever the headers declare.
[[maybe_unused]] const char* message_of(char* result, const char*) {
    return result;
}
[[maybe_unused]] const char* message_of(int result, const char* buffer) {
    return result == 0 ? buffer : nullptr;
}

}  // namespace

std::string error_message(std::uint32_t code) {
    if (code > static_cast<std::uint32_t>(INT32_MAX)) {
        return {};
    }
    char buffer[256] = {};
    const char* text =
        message_of(strerror_r(static_cast<int>(code), buffer, sizeof buffer), buffer);
    if (text == nullptr) {
        return {};
    }
    std::string message(text);
    // The C library invents a text for codes it does not know; that is no system message.
    if (message.rfind("Unknown error", 0) == 0) {
        return {};
    }
    return message;
}

}  // namespace hx4x::platform
