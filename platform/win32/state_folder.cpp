#include <windows.h>

#include <cstdlib>

#include "platform/user_folders.hpp"

namespace hx4x::platform {

// The environment's value, as the console's log folder takes it: in the system's code page,
// the encoding every path of the platform is in.
std::string user_state_folder(const std::string& name) {
    const char* base = std::getenv("LOCALAPPDATA");
    if (base == nullptr || base[0] == '\0') {
        return {};
    }
    const DWORD attributes = GetFileAttributesA(base);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return {};
    }
    std::string folder(base);
    while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) {
        folder.pop_back();
    }
    return folder + "\\" + name;
}

std::string file_in_folder(const std::string& folder, const std::string& name) {
    return folder + "\\" + name;
}

}  // namespace hx4x::platform
