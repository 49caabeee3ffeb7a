#pragma once

#include <cstdio>
#include <string>

namespace hx4x::platform {

// Opens a regular file for binary reading. Anything else at the path (a directory, a FIFO,
// a device, a socket) gives null without blocking: opening a FIFO for reading would wait
// for a writer that may never come.
std::FILE* open_regular_file_for_reading(const std::string& path);

// Opens a diagnostic output file for binary writing, emptied, refusing (null) when the path
// is a symbolic link, is not a regular file, or is the same file as protected_path (the
// firmware file the output is derived from): such outputs must never destroy anything else.
// Nothing at the path is changed when it is refused.
std::FILE* open_output_file_for_writing(const std::string& path, const std::string& protected_path);

// What the file system keeps at the path itself: a link is not followed, so a dangling one
// is still something there, while a link to a directory counts as a directory
// (GetFileAttributesA on Windows, lstat and stat elsewhere).
struct PathAttributes {
    bool exists = false;
    bool directory = false;
};
PathAttributes path_attributes(const std::string& path);

// Deletes the file (or link) at the path (DeleteFileA on Windows); true when it is gone.
bool delete_file(const std::string& path);

// Creates every missing folder of an absolute path (private to the user on POSIX); true when
// the path is a folder afterwards.
bool make_folders(const std::string& path);

}  // namespace hx4x::platform
