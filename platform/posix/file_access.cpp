#include "platform/file_access.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace hx4x::platform {

PathAttributes path_attributes(const std::string& path) {
    PathAttributes attributes;
    struct stat entry {};
    if (lstat(path.c_str(), &entry) != 0) {
        return attributes;
    }
    attributes.exists = true;
    struct stat target {};
    attributes.directory =
        S_ISDIR(entry.st_mode) ||
        (S_ISLNK(entry.st_mode) && stat(path.c_str(), &target) == 0 && S_ISDIR(target.st_mode));
    return attributes;
}

bool delete_file(const std::string& path) {
    return unlink(path.c_str()) == 0;
}

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

namespace {

// Hands a descriptor to stdio, closing it when that fails.
std::FILE* stream_for(int descriptor, const char* mode) {
    std::FILE* stream = fdopen(descriptor, mode);
    if (stream == nullptr) {
        close(descriptor);
    }
    return stream;
}

// Opens without waiting (a FIFO's open would wait for its other end) and keeps the
// descriptor only when it is a regular file. The type is checked on what was opened, so
// nothing can be swapped in between a check and the open.
int open_regular(const std::string& path, int flags, struct stat& status) {
    const int descriptor = open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
    if (descriptor < 0) {
        return -1;
    }
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(descriptor);
        return -1;
    }
    return descriptor;
}

// Ordinary blocking reads and writes from here on; the descriptor is closed on failure.
bool make_blocking(int descriptor) {
    const int flags = fcntl(descriptor, F_GETFL);
    if (flags < 0 || fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        close(descriptor);
        return false;
    }
    return true;
}

}  // namespace

std::FILE* open_regular_file_for_reading(const std::string& path) {
    struct stat status {};
    const int descriptor = open_regular(path, O_RDONLY, status);
    if (descriptor < 0 || !make_blocking(descriptor)) {
        return nullptr;
    }
    return stream_for(descriptor, "rb");
}

std::FILE* open_output_file_for_writing(const std::string& path,
                                        const std::string& protected_path) {
    // No O_TRUNC here: the file is emptied only once it is known not to be the protected one.
    struct stat status {};
    const int descriptor = open_regular(path, O_WRONLY | O_CREAT | O_NOFOLLOW, status);
    if (descriptor < 0) {
        return nullptr;
    }
    struct stat guarded {};
    const bool is_protected = !protected_path.empty() &&
                              stat(protected_path.c_str(), &guarded) == 0 &&
                              guarded.st_dev == status.st_dev && guarded.st_ino == status.st_ino;
    if (is_protected || ftruncate(descriptor, 0) != 0) {
        close(descriptor);
        return nullptr;
    }
    if (!make_blocking(descriptor)) {
        return nullptr;
    }
    return stream_for(descriptor, "wb");
}

}  // namespace hx4x::platform
