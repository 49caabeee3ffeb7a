#include "platform/file_access.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace hx4x::platform {

namespace {

// Hands a descriptor to stdio, closing it when that fails.
std::FILE* stream_for(int descriptor, const char* mode) {
    std::FILE* stream = fdopen(descriptor, mode);
    if (stream == nullptr) {
        close(descriptor);
    }
    return stream;
}

}  // namespace

std::FILE* open_regular_file_for_reading(const std::string& path) {
    // O_NONBLOCK makes the open itself return at once on a FIFO; the type is then checked on
    // what was opened, so nothing can be swapped in between a check and the open.
    const int descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (descriptor < 0) {
        return nullptr;
    }
    struct stat status {};
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(descriptor);
        return nullptr;
    }
    const int flags = fcntl(descriptor, F_GETFL);
    if (flags < 0 || fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        close(descriptor);
        return nullptr;
    }
    return stream_for(descriptor, "rb");
}

std::FILE* open_output_file_for_writing(const std::string& path,
                                        const std::string& protected_path) {
    // No O_TRUNC here: the file is emptied only once it is known not to be the protected one.
    const int descriptor = open(
        path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
    if (descriptor < 0) {
        return nullptr;
    }
    struct stat status {};
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(descriptor);
        return nullptr;
    }
    struct stat guarded {};
    if (!protected_path.empty() && stat(protected_path.c_str(), &guarded) == 0 &&
        guarded.st_dev == status.st_dev && guarded.st_ino == status.st_ino) {
        close(descriptor);
        return nullptr;
    }
    const int flags = fcntl(descriptor, F_GETFL);
    if (ftruncate(descriptor, 0) != 0 || flags < 0 ||
        fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        close(descriptor);
        return nullptr;
    }
    return stream_for(descriptor, "wb");
}

}  // namespace hx4x::platform
