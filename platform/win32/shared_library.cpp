#include "platform/shared_library.hpp"

#include <windows.h>

#include <algorithm>

#include "platform/system_error.hpp"

namespace hx4x::platform {

LibraryHandle load_library(const std::string& name, std::string* error) {
    HMODULE module = LoadLibraryA(name.c_str());
    if (module == nullptr && error != nullptr) {
        // Named like the POSIX loader's reason, on one line: the caller puts it in a message.
        // The system's text may name the file as an insert ("%1 is not a valid Win32
        // application", for a 32-bit library beside a 64-bit program).
        std::string reason = error_message(static_cast<std::uint32_t>(GetLastError()));
        for (auto at = reason.find("%1"); at != std::string::npos;
             at = reason.find("%1", at + name.size())) {
            reason.replace(at, 2, name);
        }
        reason.erase(std::remove_if(reason.begin(), reason.end(),
                                    [](char c) { return c == '\r' || c == '\n'; }),
                     reason.end());
        while (!reason.empty() && reason.back() == ' ') {
            reason.pop_back();
        }
        *error = name + ": " + (reason.empty() ? "cannot load the library" : reason);
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
