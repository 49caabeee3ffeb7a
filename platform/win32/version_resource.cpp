#include "platform/version_resource.hpp"

#include <windows.h>

#include <memory>

namespace hx4x::platform {

namespace {

struct ModuleRelease {
    void operator()(HMODULE module) const { FreeLibrary(module); }
};
using ModuleOwner = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleRelease>;

// A resource name as the enumeration hands it: a number or a text that lives only during
// the callback, so it is copied.
struct ResourceName {
    bool found = false;
    bool is_number = false;
    WORD number = 0;
    std::string text;

    LPCSTR get() const { return is_number ? MAKEINTRESOURCEA(number) : text.c_str(); }
};

BOOL CALLBACK first_name(HMODULE, LPCSTR, LPSTR name, LONG_PTR context) {
    auto* result = reinterpret_cast<ResourceName*>(context);
    result->found = true;
    result->is_number = IS_INTRESOURCE(name);
    if (result->is_number) {
        result->number = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name));
    } else {
        result->text = name;
    }
    return FALSE;
}

struct FirstLanguage {
    bool found = false;
    WORD language = 0;
};

BOOL CALLBACK first_language(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR context) {
    auto* result = reinterpret_cast<FirstLanguage*>(context);
    result->found = true;
    result->language = language;
    return FALSE;
}

}  // namespace

bool read_version_resource(const std::string& file_path,
                           const std::optional<std::string>& resource_name, std::uint16_t language,
                           std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    const ModuleOwner module(LoadLibraryExA(
        file_path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | DONT_RESOLVE_DLL_REFERENCES));
    if (!module) {
        return false;
    }
    ResourceName name;
    if (resource_name) {
        name.found = true;
        name.text = *resource_name;
    } else {
        EnumResourceNamesA(module.get(), RT_VERSION, first_name, reinterpret_cast<LONG_PTR>(&name));
    }
    if (!name.found) {
        return false;
    }
    WORD chosen = language;
    if (language == any_language) {
        FirstLanguage first;
        EnumResourceLanguagesA(module.get(), RT_VERSION, name.get(), first_language,
                               reinterpret_cast<LONG_PTR>(&first));
        if (!first.found) {
            return false;
        }
        chosen = first.language;
    }
    HRSRC resource = FindResourceExA(module.get(), RT_VERSION, name.get(), chosen);
    if (resource == nullptr) {
        return false;
    }
    const DWORD size = SizeofResource(module.get(), resource);
    HGLOBAL loaded = LoadResource(module.get(), resource);
    const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (size == 0 || data == nullptr) {
        return false;
    }
    const auto* first_byte = static_cast<const std::uint8_t*>(data);
    bytes.assign(first_byte, first_byte + size);
    return true;
}

bool write_version_resource(const std::string& file_path, const std::vector<std::uint8_t>& bytes,
                            std::string* error) {
    HANDLE update = BeginUpdateResourceA(file_path.c_str(), FALSE);
    if (update == nullptr) {
        if (error != nullptr) {
            *error = "Cannot open " + file_path + " for resource update";
        }
        return false;
    }
    const WORD english = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    const BOOL updated =
        UpdateResourceA(update, RT_VERSION, MAKEINTRESOURCEA(VS_VERSION_INFO), english,
                        const_cast<std::uint8_t*>(bytes.data()), static_cast<DWORD>(bytes.size()));
    // Discard the pending changes when the update failed, keep them otherwise.
    if (!EndUpdateResourceA(update, updated ? FALSE : TRUE) || !updated) {
        if (error != nullptr) {
            *error = "Cannot replace the version resource of " + file_path;
        }
        return false;
    }
    return true;
}

}  // namespace hx4x::platform
