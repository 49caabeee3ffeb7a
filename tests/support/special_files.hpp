#pragma once

#include <string>

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

}  // namespace hx4x::testing_support
