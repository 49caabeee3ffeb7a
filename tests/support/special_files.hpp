#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace hx4x::testing_support {

// Makes a FIFO at the path: a file that exists but blocks a reader without a writer. POSIX
// only: Windows has no FIFO in its file system (its named pipes live apart), so there the
// answer is false and the caller skips.
inline bool make_fifo(const std::string& path) {
#ifdef _WIN32
    static_cast<void>(path);
    return false;
#else
    return mkfifo(path.c_str(), 0600) == 0;
#endif
}

// A stream on which every write fails at the flush: /dev/full. POSIX only: Windows has no
// such device, so there the answer is null and the caller skips.
inline std::FILE* open_full_device() {
#ifdef _WIN32
    return nullptr;
#else
    return std::fopen("/dev/full", "wb");
#endif
}

// A symbolic link at link to target; false where the system or the user may not make one
// (Windows without the privilege, Wine).
inline bool make_symlink(const std::filesystem::path& target, const std::filesystem::path& link,
                         bool directory = false) {
    std::error_code error;
    if (directory) {
        std::filesystem::create_directory_symlink(target, link, error);
    } else {
        std::filesystem::create_symlink(target, link, error);
    }
    return !error;
}

}  // namespace hx4x::testing_support
