#pragma once

#include <cstddef>
#include <string>

namespace hx4x::platform {

// The buffer the system's profile read is given: a value comes back cut to one byte less.
inline constexpr std::size_t profile_value_capacity = 1040;

// One value of an initialisation file (the layout of platform/profile_text.hpp). The default
// when the key is missing or the file cannot be read; at most profile_value_capacity - 1
// bytes on a system whose profile calls cut values.
std::string read_profile_string(const std::string& path, const std::string& section,
                                const std::string& key, const std::string& default_value);

// Writes or replaces one value; false when the file could not be written, which then keeps
// its old contents. Entries that profile_entry_storable refuses are never written.
bool write_profile_string(const std::string& path, const std::string& section,
                          const std::string& key, const std::string& value);

}  // namespace hx4x::platform
