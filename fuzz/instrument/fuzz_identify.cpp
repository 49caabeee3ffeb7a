#include <cstddef>
#include <cstdint>
#include <string_view>

#include "identify_target.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    hx4x::fuzzing::run_identify_case(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
