#include "platform/file_name_case.hpp"

namespace hx4x::platform {

// /lab/FW.hex and /lab/fw.hex are two files on the usual POSIX file systems.
bool file_names_ignore_case() {
    return false;
}

}  // namespace hx4x::platform
