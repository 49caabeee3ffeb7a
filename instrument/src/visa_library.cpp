#include "instrument/visa_library.hpp"

#include <cstdlib>

#include "platform/shared_library.hpp"

namespace hx4x {

namespace {

// Binds one entry point; false when the library does not export it.
template <class Function>
bool bind_entry(void* module, const char* name, Function& entry) {
    void* address = platform::library_symbol(module, name);
    if (address == nullptr) {
        return false;
    }
    // Object and function pointers share a size on every platform that has a loader.
    entry = reinterpret_cast<Function>(address);
    return true;
}

// Built during static initialisation, before any window, as the binding is process-wide.
[[maybe_unused]] const bool bound_at_start = (VisaLibrary::instance(), true);

}  // namespace

VisaLibrary& VisaLibrary::instance() {
    static VisaLibrary library;
    return library;
}

VisaLibrary::VisaLibrary() {
    load();
}

VisaLibrary::~VisaLibrary() {
    unload();
}

bool VisaLibrary::load(std::string* error) {
    const char* chosen = std::getenv(library_variable);
    if (chosen != nullptr && *chosen != '\0') {
        return load(std::string(chosen), error);
    }
    unload();
    bound_ = false;
    entry_points_ = {};
    std::string first_error;
    for (const std::string& name : platform::visa_library_names()) {
        std::string reason;
        void* module = platform::load_library(name, &reason);
        if (module == nullptr) {
            if (first_error.empty()) {
                first_error = reason;
            }
            continue;
        }
        return bind(module, name, error);
    }
    if (error != nullptr) {
        *error = "VISA library not found: " + first_error;
    }
    return false;
}

bool VisaLibrary::load(const std::string& library, std::string* error) {
    unload();
    bound_ = false;
    entry_points_ = {};
    std::string reason;
    void* module = platform::load_library(library, &reason);
    if (module == nullptr) {
        if (error != nullptr) {
            *error = "VISA library not loaded: " + reason;
        }
        return false;
    }
    return bind(module, library, error);
}

bool VisaLibrary::bind(void* module, const std::string& library, std::string* error) {
    VisaEntryPoints found;
    const char* missing = nullptr;
    // The order of the lookups is the order of the fields.
    if (!bind_entry(module, "viOpenDefaultRM", found.viOpenDefaultRM)) {
        missing = "viOpenDefaultRM";
    } else if (!bind_entry(module, "viOpen", found.viOpen)) {
        missing = "viOpen";
    } else if (!bind_entry(module, "viClose", found.viClose)) {
        missing = "viClose";
    } else if (!bind_entry(module, "viFindRsrc", found.viFindRsrc)) {
        missing = "viFindRsrc";
    } else if (!bind_entry(module, "viFindNext", found.viFindNext)) {
        missing = "viFindNext";
    } else if (!bind_entry(module, "viGpibControlREN", found.viGpibControlREN)) {
        missing = "viGpibControlREN";
    } else if (!bind_entry(module, "viGetAttribute", found.viGetAttribute)) {
        missing = "viGetAttribute";
    } else if (!bind_entry(module, "viSetAttribute", found.viSetAttribute)) {
        missing = "viSetAttribute";
    } else if (!bind_entry(module, "viWrite", found.viWrite)) {
        missing = "viWrite";
    } else if (!bind_entry(module, "viRead", found.viRead)) {
        missing = "viRead";
    } else if (!bind_entry(module, "viEnableEvent", found.viEnableEvent)) {
        missing = "viEnableEvent";
    } else if (!bind_entry(module, "viWaitOnEvent", found.viWaitOnEvent)) {
        missing = "viWaitOnEvent";
    } else if (!bind_entry(module, "viReadSTB", found.viReadSTB)) {
        missing = "viReadSTB";
    } else if (!bind_entry(module, "viStatusDesc", found.viStatusDesc)) {
        missing = "viStatusDesc";
    } else if (!bind_entry(module, "viFlush", found.viFlush)) {
        missing = "viFlush";
    }
    if (missing != nullptr) {
        platform::free_library(module);
        if (error != nullptr) {
            *error = "VISA library " + library + " lacks " + missing;
        }
        return false;
    }

    module_ = module;
    entry_points_ = found;
    bound_ = true;
    visa::ViSession rm = 0;
    const visa::ViStatus status = entry_points_.viOpenDefaultRM(&rm);
    if (status != visa::VI_SUCCESS) {
        // Whatever the library wrote there is no session to close.
        unload();
        if (error != nullptr) {
            *error = "VISA resource manager did not open, status " +
                     std::to_string(static_cast<std::uint32_t>(status));
        }
        return false;
    }
    default_rm_ = rm;
    if (!is_available() && error != nullptr) {
        *error = "VISA resource manager session is 0";
    }
    return is_available();
}

void VisaLibrary::unload() {
    if (default_rm_ != 0) {
        if (entry_points_.viClose != nullptr) {
            entry_points_.viClose(default_rm_);
        }
        default_rm_ = 0;
    }
    if (module_ != nullptr) {
        platform::free_library(module_);
        module_ = nullptr;
    }
    // The bound flag stays, but nothing may call into a freed module.
    entry_points_ = {};
}

}  // namespace hx4x
