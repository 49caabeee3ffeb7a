#pragma once

#include <string>

namespace hx4x::platform {

// Where the running program lives, as far as the files of its own (settings, log) go.
struct ProgramPlace {
    // The program path as the command line wrote it.
    std::string written;
    // The program file the system ran; empty when the system cannot tell.
    std::string resolved;
    // Whether the written path names the program's files. On Windows it does, as it always
    // has: a shortcut or Explorer writes the full path. On POSIX the written path may be a
    // bare name found through PATH or a path relative to whatever folder the program was
    // started from, so the resolved file names them.
    bool follow_written = false;
    // Whether the resolved file's folder takes new files from this user (an installed copy
    // lives in a system folder); only looked at where the written path is not followed.
    bool folder_writable = false;
};

ProgramPlace program_place(const std::string& written_program_path);

}  // namespace hx4x::platform
