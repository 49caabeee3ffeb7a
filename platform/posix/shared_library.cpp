#include "platform/shared_library.hpp"

#include <dlfcn.h>

namespace hx4x::platform {

LibraryHandle load_library(const std::string& name, std::string* error) {
    // RTLD_LOCAL keeps the VISA names out of the global namespace, so a second
    // implementation loaded later binds to its own entry points.
    dlerror();
    LibraryHandle library = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr && error != nullptr) {
        const char* reason = dlerror();
        *error = reason != nullptr ? reason : "cannot load " + name;
    }
    return library;
}

void* library_symbol(LibraryHandle library, const char* name) {
    if (library == nullptr || name == nullptr) {
        return nullptr;
    }
    return dlsym(library, name);
}

void free_library(LibraryHandle library) {
    if (library != nullptr) {
        dlclose(library);
    }
}

std::vector<std::string> visa_library_names() {
#if defined(__APPLE__)
    return {"/Library/Frameworks/VISA.framework/VISA",
            "/Library/Frameworks/RsVisa.framework/RsVisa"};
#else
    // libvisa.so.0 comes last: that implementation lacks some of the entry points.
    return {"libvisa.so",
            "libvisa.so.7",
            "/usr/lib/x86_64-linux-gnu/libvisa.so",
            "/usr/lib64/libvisa.so",
            "/usr/local/vxipnp/linux/bin/libvisa.so.7",
            "librsvisa.so",
            "/usr/lib/librsvisa.so",
            "libiovisa.so",
            "/opt/keysight/iolibs/libktvisa32.so",
            "libktvisa32.so.0",
            "libvisa.so.0"};
#endif
}

}  // namespace hx4x::platform
