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

}  // namespace hx4x::platform
