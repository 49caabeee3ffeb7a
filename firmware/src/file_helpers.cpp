#include "firmware/file_helpers.hpp"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace hx4x {

std::string normalize_path(const std::string& path) {
    if (path.empty()) {
        return path;
    }
    std::string result = path;
    while (!result.empty() && result.back() == '\\') {
        result.pop_back();
    }
    if (result.size() == 2 && result[1] == ':') {
        result.push_back('\\');
    }
    if (result.empty()) {
        result = "\\";
    }
    return result;
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
