#include <cstddef>
#include <cstdint>

#include "version_info_target.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    hx4x::fuzzing::run_version_info_case(data, size);
    return 0;
}
