#include "firmware/file_helpers.hpp"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace hx4x {

std::string normalize_path(const std::string& path) {
    if (path.empty()) {
        return path;
    }
    const std::size_t last = path.find_last_not_of('\\');
    if (last == std::string::npos) {
        return std::string(1, '\\');
    }
    // A bare drive keeps one backslash so that it still names the drive's root.
    if (last == 1 && path[1] == ':') {
        return path.substr(0, 2) + '\\';
    }
    return path.substr(0, last + 1);
}

namespace {

// The entry itself: a dangling link is still something at the path.
std::filesystem::file_status entry_status_of(const std::string& path) {
    std::error_code error;
    return std::filesystem::symlink_status(std::filesystem::path(normalize_path(path)), error);
}

// What the path leads to, so that a link to a directory counts as a directory.
std::filesystem::file_status target_status_of(const std::string& path) {
    std::error_code error;
    return std::filesystem::status(std::filesystem::path(normalize_path(path)), error);
}

}  // namespace

bool file_exists(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    return std::filesystem::exists(entry_status_of(path));
}

bool delete_file_if_present(const std::string& path) {
    if (path.empty()) {
        return true;
    }
    if (!std::filesystem::exists(entry_status_of(path))) {
        return true;
    }
    if (std::filesystem::is_directory(target_status_of(path))) {
        return false;
    }
    // The path as the caller wrote it, not the normalized one, names the file to delete.
    return std::remove(path.c_str()) == 0;
}

}  // namespace hx4x
