#include "update_blocks_target.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    hx4x::fuzzing::run_update_blocks_case(data, size);
    return 0;
}
