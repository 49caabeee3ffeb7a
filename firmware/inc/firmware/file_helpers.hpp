#pragma once

#include <string>

namespace hx4x {

// Drops trailing backslashes; a bare drive such as "C:" keeps one, and a path of
// backslashes only becomes a single backslash. Only the backslash counts here.
std::string normalize_path(const std::string& path);

// True when anything (file or directory) is at the normalized path.
bool file_exists(const std::string& path);

// True when nothing is left at the path afterwards; a directory is never deleted.
bool delete_file_if_present(const std::string& path);

}  // namespace hx4x
