#pragma once

#include <string>
#include <string_view>

namespace hx4x::platform {

enum class AppendResult {
    appended,
    not_opened,   // the thread's last-error value says why
    not_a_file,   // something other than a regular file is at the path
    not_written,  // the thread's last-error value says why
    cut_short,    // the system took only part of the text (a full disk, a size limit)
};

// Appends the text (whole lines, line ends included) to the file at the path in one write
// at the file's end, creating the file when missing (private to the user on POSIX). Several
// processes may append to one file at once: each text lands whole, never interleaved with
// another's (O_APPEND on POSIX, FILE_APPEND_DATA on Windows). The path is in the system's own
// file-name encoding, as every path the platform takes; a link at the path is not followed.
AppendResult append_in_one_write(const std::string& path, std::string_view text);

}  // namespace hx4x::platform
