#include "console/log_location.hpp"

#include <cstdlib>

#include "platform/user_folders.hpp"

namespace hx4x {

namespace {

constexpr const char* folder_name = "hx4x-update";
constexpr const char* file_name = "hx4x-update.log";

}  // namespace

std::string console_log_path(const char* state_home, const char* home) {
    const std::string folder = platform::xdg_folder(state_home, home, ".local/state", folder_name);
    return folder.empty() ? std::string() : folder + "/" + file_name;
}

std::string default_console_log_path() {
    return console_log_path(std::getenv("XDG_STATE_HOME"), std::getenv("HOME"));
}

}  // namespace hx4x
