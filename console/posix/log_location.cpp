#include "console/log_location.hpp"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>

namespace hx4x {

namespace {

constexpr const char* folder_name = "hx4x-update";
constexpr const char* file_name = "hx4x-update.log";

bool is_absolute(const char* path) {
    return path != nullptr && path[0] == '/';
}

// Creates every missing folder of an absolute path; true when it is a folder afterwards.
bool make_folders(const std::string& path) {
    for (std::size_t at = path.find('/', 1); at != std::string::npos; at = path.find('/', at + 1)) {
        const std::string part = path.substr(0, at);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
    }
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        return false;
    }
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

}  // namespace

std::string console_log_path(const char* state_home, const char* home) {
    std::string base;
    if (is_absolute(state_home)) {
        base = state_home;
    } else if (is_absolute(home)) {
        base = std::string(home) + "/.local/state";
    } else {
        return {};
    }
    while (base.size() > 1 && base.back() == '/') {
        base.pop_back();
    }
    const std::string folder = (base == "/" ? std::string() : base) + "/" + folder_name;
    if (!make_folders(folder)) {
        return {};
    }
    return folder + "/" + file_name;
}

std::string default_console_log_path() {
    return console_log_path(std::getenv("XDG_STATE_HOME"), std::getenv("HOME"));
}

}  // namespace hx4x
