#include <cstdlib>

#include "platform/user_folders.hpp"

namespace hx4x::platform {

std::string user_state_folder(const std::string& name) {
    return xdg_folder_path(std::getenv("XDG_STATE_HOME"), std::getenv("HOME"), ".local/state",
                           name);
}

std::string file_in_folder(const std::string& folder, const std::string& name) {
    return folder + "/" + name;
}

}  // namespace hx4x::platform
