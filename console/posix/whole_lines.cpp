#include "console/whole_lines.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace hx4x {

namespace {

// Where the next write to the descriptor lands, when the file may be cut back to it: a
// regular file written at its end (`>` or `>>`). None for a pipe, a terminal or a device,
// and none for a file written in its middle (`1<>file`): the bytes after are not ours.
std::optional<off_t> line_start(int descriptor) {
    struct stat status {};
    if (descriptor < 0 || fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        return std::nullopt;
    }
    const int flags = fcntl(descriptor, F_GETFL);
    if (flags != -1 && (flags & O_APPEND) != 0) {
        return status.st_size;
    }
    const off_t at = lseek(descriptor, 0, SEEK_CUR);
    if (at != status.st_size) {
        return std::nullopt;
    }
    return at;
}

// Writes the whole text; written counts what reached the file, also when it fails.
bool write_all(int descriptor, std::string_view text, std::size_t& written) {
    while (written < text.size()) {
        const ssize_t put = ::write(descriptor, text.data() + written, text.size() - written);
        if (put > 0) {
            written += static_cast<std::size_t>(put);
        } else if (put == 0 || errno != EINTR) {
            return false;
        }
    }
    return true;
}

// Back to where the text began: the file ends on its last whole line again. Left as it is
// when more than the text's own bytes lie past that point by now (another writer appends to
// the same file).
void cut_back(int descriptor, off_t start, std::size_t written) {
    struct stat status {};
    if (fstat(descriptor, &status) != 0 || status.st_size != start + static_cast<off_t>(written)) {
        return;
    }
    if (ftruncate(descriptor, start) == 0) {
        // The next line goes where this one began, not past a hole.
        lseek(descriptor, start, SEEK_SET);
    }
}

}  // namespace

std::optional<bool> write_whole_lines_to_file(std::FILE* stream, std::string_view text) {
    const int descriptor = fileno(stream);
    const std::optional<off_t> start = line_start(descriptor);
    if (!start) {
        return std::nullopt;
    }
    std::size_t written = 0;
    if (write_all(descriptor, text, written)) {
        return true;
    }
    if (written != 0) {
        cut_back(descriptor, *start, written);
    }
    return false;
}

}  // namespace hx4x
