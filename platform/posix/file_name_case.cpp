#include "platform/file_name_case.hpp"

namespace hx4x::platform {

// /lab/FW.hex and /lab/fw.hex are two files on the usual POSIX file systems.
bool file_names_ignore_case() {
    return false;
}

// The names are bytes the desktop, the shell and the file dialogs all write and read as
// UTF-8, whatever locale a program happens to be started with.
bool file_names_utf8() {
    return true;
}

}  // namespace hx4x::platform
