#include "platform/shared_library.hpp"

#include <dlfcn.h>

#include "platform/module_path.hpp"

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
    // libvisa.so.0 comes last of the vendors': that implementation lacks some of the entry
    // points. Our own library, which reaches USB counters only, comes after every vendor's,
    // so a station with a full VISA keeps its GPIB counters: first beside the program (a
    // copy unpacked anywhere), then where an install puts it, found from the program's own
    // folder.
    std::vector<std::string> names{"libvisa.so",
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
    const std::string program = module_path();
    const std::size_t slash = program.rfind('/');
    if (slash != std::string::npos) {
        const std::string folder = program.substr(0, slash + 1);
        names.push_back(folder + own_visa_library);
        names.push_back(folder + HX4X_LIBRARY_FOLDER_FROM_PROGRAMS + "/" + own_visa_library);
    }
    return names;
#endif
}

}  // namespace hx4x::platform
