#include "firmware/file_helpers.hpp"

#include "platform/file_access.hpp"

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

bool file_exists(const std::string& path) {
    return !path.empty() && platform::path_attributes(normalize_path(path)).exists;
}

bool delete_file_if_present(const std::string& path) {
    if (path.empty()) {
        return true;
    }
    const platform::PathAttributes attributes = platform::path_attributes(normalize_path(path));
    if (!attributes.exists) {
        return true;
    }
    if (attributes.directory) {
        return false;
    }
    // The path as the caller wrote it, not the normalized one, names the file to delete.
    return platform::delete_file(path);
}

}  // namespace hx4x
