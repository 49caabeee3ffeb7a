#include "platform/shared_library.hpp"

#include <windows.h>

#include "platform/system_error.hpp"

namespace hx4x::platform {

LibraryHandle load_library(const std::string& name, std::string* error) {
    HMODULE module = LoadLibraryA(name.c_str());
    if (module == nullptr && error != nullptr) {
        std::string reason = error_message(static_cast<std::uint32_t>(GetLastError()));
        *error = reason.empty() ? "cannot load " + name : reason;
    }
    return reinterpret_cast<LibraryHandle>(module);
}

void* library_symbol(LibraryHandle library, const char* name) {
    if (library == nullptr || name == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void free_library(LibraryHandle library) {
    if (library != nullptr) {
        FreeLibrary(static_cast<HMODULE>(library));
    }
}

std::vector<std::string> visa_library_names() {
    return {"Visa32.dll"};
}

}  // namespace hx4x::platform
