#include "app/emulated_version.hpp"

namespace hx4x {

namespace {
std::uint32_t current_emulated_version = 0;
}

std::uint32_t emulated_version() {
    return current_emulated_version;
}

void set_emulated_version(std::uint32_t version) {
    current_emulated_version = version;
}

}  // namespace hx4x
