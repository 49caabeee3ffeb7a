#include "platform/module_path.hpp"

#include <windows.h>

#include <array>

namespace hx4x::platform {

std::string module_path() {
    std::array<char, module_path_capacity> buffer{};
    const DWORD length =
        GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    // A full buffer means the path was cut (ERROR_INSUFFICIENT_BUFFER).
    if (length == 0 || length >= buffer.size()) {
        return {};
    }
    return std::string(buffer.data(), length);
}

}  // namespace hx4x::platform
