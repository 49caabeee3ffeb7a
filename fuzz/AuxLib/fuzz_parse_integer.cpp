#include <cstddef>
#include <cstdint>

#include "parse_integer_target.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    hx4x::fuzzing::run_parse_integer_case(data, size);
    return 0;
}
