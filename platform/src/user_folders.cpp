#include "platform/user_folders.hpp"

#include "platform/file_access.hpp"

namespace hx4x::platform {

namespace {

bool is_absolute(const char* path) {
    return path != nullptr && path[0] == '/';
}

}  // namespace

std::string xdg_folder_path(const char* xdg_home, const char* home, const char* home_default,
                            const std::string& name) {
    std::string base;
    if (is_absolute(xdg_home)) {
        base = xdg_home;
    } else if (is_absolute(home)) {
        base = std::string(home) + "/" + home_default;
    } else {
        return {};
    }
    while (base.size() > 1 && base.back() == '/') {
        base.pop_back();
    }
    return (base == "/" ? std::string() : base) + "/" + name;
}

std::string xdg_folder(const char* xdg_home, const char* home, const char* home_default,
                       const std::string& name) {
    const std::string folder = xdg_folder_path(xdg_home, home, home_default, name);
    if (folder.empty() || !make_folders(folder)) {
        return {};
    }
    return folder;
}

}  // namespace hx4x::platform
