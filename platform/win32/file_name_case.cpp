#include "platform/file_name_case.hpp"

#include <windows.h>

namespace hx4x::platform {

bool file_names_ignore_case() {
    return true;
}

// The A functions take the ANSI code page, which a system may have set to UTF-8.
bool file_names_utf8() {
    return GetACP() == CP_UTF8;
}

}  // namespace hx4x::platform
