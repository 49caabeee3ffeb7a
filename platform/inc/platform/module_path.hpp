#pragma once

#include <string>

namespace hx4x::platform {

// The longest program path the system is asked for.
inline constexpr std::size_t module_path_capacity = 1024;

// The file of the running program as the system names it; empty when the system cannot
// tell or the path does not fit module_path_capacity (a cut path would name another file).
std::string module_path();

}  // namespace hx4x::platform
