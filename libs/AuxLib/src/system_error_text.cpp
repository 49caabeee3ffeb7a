#include "AuxLib/system_error_text.hpp"

#include <algorithm>

#include "platform/system_error.hpp"

namespace hx4x {

std::string system_error_text(std::uint32_t code) {
    const std::uint32_t saved = platform::last_error();
    std::string text = "[" + std::to_string(code) + "]";
    const std::string message = platform::error_message(code);
    if (!message.empty()) {
        text += " " + message;
    }
    text.erase(
        std::remove_if(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }),
        text.end());
    platform::set_last_error(saved);
    return text;
}

std::string last_error_text() {
    return system_error_text(platform::last_error());
}

}  // namespace hx4x
