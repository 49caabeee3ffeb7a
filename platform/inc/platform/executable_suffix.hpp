#pragma once

#include <string_view>

namespace hx4x::platform {

// The file name suffix of the platform's programs: ".exe" on Windows, empty elsewhere. The
// release file names that the build writes into the version records carry it.
std::string_view executable_suffix();

}  // namespace hx4x::platform
