#include "platform/module_path.hpp"

#include <unistd.h>

#include <array>

namespace hx4x::platform {

std::string module_path() {
    std::array<char, module_path_capacity> buffer{};
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    // readlink does not say whether it cut the path; a full buffer may have been cut.
    if (length <= 0 || static_cast<std::size_t>(length) >= buffer.size()) {
        return {};
    }
    return std::string(buffer.data(), static_cast<std::size_t>(length));
}

}  // namespace hx4x::platform
