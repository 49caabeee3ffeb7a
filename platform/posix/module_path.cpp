#include "platform/module_path.hpp"

#include <unistd.h>

#include <array>
#include <string_view>

namespace hx4x::platform {

std::string module_path() {
    std::array<char, module_path_capacity> buffer{};
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    // readlink does not say whether it cut the path; a full buffer may have been cut.
    if (length <= 0 || static_cast<std::size_t>(length) >= buffer.size()) {
        return {};
    }
    std::string path(buffer.data(), static_cast<std::size_t>(length));
    // A program file replaced while it runs (a package upgrade) is named with this mark; the
    // files named after the program belong to the name it was installed under.
    constexpr std::string_view replaced = " (deleted)";
    if (path.size() > replaced.size() && path.ends_with(replaced)) {
        path.resize(path.size() - replaced.size());
    }
    return path;
}

}  // namespace hx4x::platform
