#include "platform/program_resource.hpp"

#include <windows.h>

#include <string>

namespace hx4x::platform {

std::span<const std::uint8_t> program_resource(std::string_view name, std::string_view type) {
    const std::string name_text(name);
    const std::string type_text(type);
    // The standard bitmap type is a number (RT_BITMAP), not the text the .rc file writes; it
    // is spelt in its 8-bit form so that a UNICODE build still calls the A functions.
    const LPCSTR resource_type = type == bitmap_type ? MAKEINTRESOURCEA(2) : type_text.c_str();
    // A null name is the program file itself; its resources need no release.
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC resource = FindResourceExA(module, resource_type, name_text.c_str(),
                                     MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
    if (resource == nullptr) {
        return {};
    }
    const DWORD size = SizeofResource(module, resource);
    HGLOBAL loaded = LoadResource(module, resource);
    const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (size == 0 || data == nullptr) {
        return {};
    }
    return {static_cast<const std::uint8_t*>(data), static_cast<std::size_t>(size)};
}

}  // namespace hx4x::platform
