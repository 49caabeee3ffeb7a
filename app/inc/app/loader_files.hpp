#pragma once

#include <string>

#include "platform/program_place.hpp"

namespace hx4x {

// The window program's own files.
struct LoaderFiles {
    std::string settings;  // empty when there is nowhere to keep them
    std::string log;       // empty when there is nowhere to write it
    // A log of its own beside the program starts afresh with each run; one in the user's
    // state folder is shared by every copy and brand the user runs, and is appended to.
    bool truncate_log = true;
};

// The user's base folders, as the environment gives them ($XDG_CONFIG_HOME,
// $XDG_STATE_HOME, $HOME); null when unset.
struct UserBaseFolders {
    const char* config_home = nullptr;
    const char* state_home = nullptr;
    const char* home = nullptr;
};

// Where the written path is followed (Windows): that path with the extensions "ini" and
// "log". Otherwise the resolved program file's path with them when its folder is writable;
// else <config>/hx4x-loader/<name>.ini and <state>/hx4x-loader/<name>.log, name being the
// program file's name without extension, the folders made as needed. Never the current
// folder: an installed program is started from anywhere.
LoaderFiles loader_files(const platform::ProgramPlace& place, const UserBaseFolders& user);

// The same for the running program and the process's environment.
LoaderFiles loader_files(const std::string& written_program_path);

}  // namespace hx4x
