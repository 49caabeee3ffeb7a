#include "platform/profile_file.hpp"

#include <windows.h>

#include <algorithm>
#include <array>

#include "platform/profile_text.hpp"

// The system's profile calls. The settings path is always absolute: given a bare file name
// they would use the Windows folder instead.
namespace hx4x::platform {

std::string read_profile_string(const std::string& path, const std::string& section,
                                const std::string& key, const std::string& default_value) {
    // A name the writer refuses could only be found by accident (a NUL cuts it short).
    if (path.empty() || !profile_entry_storable(section, key, {})) {
        return default_value;
    }
    std::array<char, profile_value_capacity> buffer{};
    const DWORD length =
        GetPrivateProfileStringA(section.c_str(), key.c_str(), default_value.c_str(), buffer.data(),
                                 static_cast<DWORD>(buffer.size()), path.c_str());
    // The count leaves out the terminating NUL; a cut value fills the buffer but for it.
    return std::string(buffer.data(), std::min<std::size_t>(length, buffer.size() - 1));
}

bool write_profile_string(const std::string& path, const std::string& section,
                          const std::string& key, const std::string& value) {
    if (path.empty() || !profile_entry_storable(section, key, value)) {
        return false;
    }
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path.c_str()) !=
           FALSE;
}

}  // namespace hx4x::platform
