#pragma once

#include <string>

namespace hx4x {

// What the operator is told, once, when the settings could not be kept; the settings file's
// path follows the head.
inline constexpr const char* settings_save_failed_head = "The settings could not be saved to:\n";
inline std::string settings_save_failed(const std::string& path) {
    return settings_save_failed_head + path;
}

}  // namespace hx4x
