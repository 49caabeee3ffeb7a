#include "platform/program_place.hpp"

#include <unistd.h>

#include "platform/module_path.hpp"

namespace hx4x::platform {

ProgramPlace program_place(const std::string& written_program_path) {
    ProgramPlace place;
    place.written = written_program_path;
    place.resolved = module_path();
    const std::size_t slash = place.resolved.rfind('/');
    if (slash != std::string::npos) {
        const std::string folder = slash == 0 ? "/" : place.resolved.substr(0, slash);
        // A new file needs both: writing the folder's entries and entering it.
        place.folder_writable = access(folder.c_str(), W_OK | X_OK) == 0;
    }
    return place;
}

}  // namespace hx4x::platform
