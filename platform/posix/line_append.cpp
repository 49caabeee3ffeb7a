#include "platform/line_append.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace hx4x::platform {

AppendResult append_in_one_write(const std::string& path, std::string_view text) {
    // Without waiting: a FIFO put at the path would otherwise hold the update until a reader
    // comes. The type is checked on what was opened, so nothing can be swapped in between.
    const int descriptor =
        open(path.c_str(),
             O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (descriptor < 0) {
        return AppendResult::not_opened;
    }
    struct stat status {};
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(descriptor);
        return AppendResult::not_a_file;
    }
    // One write, so the whole text lands at the end at once; a second write for the rest
    // could land after another process's line.
    ssize_t written = -1;
    do {
        written = write(descriptor, text.data(), text.size());
    } while (written < 0 && errno == EINTR);
    const int write_error = errno;
    // A failed close can be a failed write that the file system reports late (NFS).
    const bool closed = close(descriptor) == 0;
    if (written < 0) {
        errno = write_error;
        return AppendResult::not_written;
    }
    if (static_cast<std::size_t>(written) != text.size()) {
        return AppendResult::cut_short;
    }
    return closed ? AppendResult::appended : AppendResult::not_written;
}

}  // namespace hx4x::platform
