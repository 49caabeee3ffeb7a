#pragma once

#include <string>

namespace hx4x {

// A path held as directory, file name and extension, split at the last backslash or
// slash and at the last dot of the file name.
class FilePath {
  public:
    // False, and an empty path, when the text yields neither a name nor an extension.
    bool assign(const std::string& text);
    void clear();

    // name, plus "." and the extension when there is one.
    std::string name_with_extension() const;
    // directory, the separator it was split at, and name_with_extension; the name alone
    // when the text had no separator. A file in the root ("/fw.hex") keeps its root.
    std::string full_path() const;

    std::string directory;
    std::string name;
    std::string extension;
    // The separator found by assign, so that a path joins as it was written (a backslash
    // on Windows, a slash on POSIX); a backslash when none was found.
    char separator = '\\';
    bool separator_found = false;
};

}  // namespace hx4x
