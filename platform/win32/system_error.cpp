#include "platform/system_error.hpp"

#include <windows.h>

namespace hx4x::platform {

std::uint32_t last_error() {
    return GetLastError();
}

void set_last_error(std::uint32_t code) {
    SetLastError(code);
}

std::string error_message(std::uint32_t code) {
    char* buffer = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPSTR>(&buffer),
        0, nullptr);
    std::string message;
    if (length != 0 && buffer != nullptr) {
        message.assign(buffer, length);
    }
    if (buffer != nullptr) {
        LocalFree(buffer);
    }
    return message;
}

}  // namespace hx4x::platform
