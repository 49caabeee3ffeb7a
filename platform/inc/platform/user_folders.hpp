#pragma once

#include <string>

namespace hx4x::platform {

// A folder of the program's own in one of the user's base folders, created as needed
// (private to the user): in xdg_home ($XDG_CONFIG_HOME, $XDG_STATE_HOME) when that is an
// absolute path, else in home + "/" + home_default (".config", ".local/state") when home is
// one. Empty when neither is, or when the folder cannot be made. A relative value is never
// taken: it would put the files in whatever folder the program was started from.
std::string xdg_folder(const char* xdg_home, const char* home, const char* home_default,
                       const std::string& name);

// The same folder's path by the same rule, without creating anything: for readers, which
// must leave no trace. Empty when neither base is an absolute path.
std::string xdg_folder_path(const char* xdg_home, const char* home, const char* home_default,
                            const std::string& name);

// The program's folder of its own in the user's folder for program state, which stays on
// this machine: $XDG_STATE_HOME/name or ~/.local/state/name on POSIX, %LOCALAPPDATA%\name on
// Windows (local, not roaming: stations must not merge their records). Not created here:
// make_folders it before writing. Empty when the user has no such base folder.
std::string user_state_folder(const std::string& name);

// The file of that name in the folder, joined with the system's own separator.
std::string file_in_folder(const std::string& folder, const std::string& name);

}  // namespace hx4x::platform
