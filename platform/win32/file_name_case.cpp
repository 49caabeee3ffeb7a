#include "platform/file_name_case.hpp"

namespace hx4x::platform {

bool file_names_ignore_case() {
    return true;
}

}  // namespace hx4x::platform
