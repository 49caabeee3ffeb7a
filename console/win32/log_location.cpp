#include "console/log_location.hpp"

#include <windows.h>

#include <cstdlib>

namespace hx4x {

namespace {

constexpr const char* folder_name = "hx4x-update";
constexpr const char* file_name = "hx4x-update.log";

bool is_folder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

// The user's local application data folder, which does not roam between machines: several
// stations must not merge their logs.
std::string default_console_log_path() {
    const char* base = std::getenv("LOCALAPPDATA");
    if (base == nullptr || base[0] == '\0' || !is_folder(base)) {
        return {};
    }
    std::string folder(base);
    while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) {
        folder.pop_back();
    }
    folder += std::string("\\") + folder_name;
    if (CreateDirectoryA(folder.c_str(), nullptr) == 0 && GetLastError() != ERROR_ALREADY_EXISTS) {
        return {};
    }
    if (!is_folder(folder)) {
        return {};
    }
    return folder + "\\" + file_name;
}

}  // namespace hx4x
