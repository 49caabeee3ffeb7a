#include "platform/executable_suffix.hpp"

namespace hx4x::platform {

std::string_view executable_suffix() {
    return ".exe";
}

}  // namespace hx4x::platform
