#include <cstddef>
#include <cstdint>

#include "rtf_reader_target.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    hx4x::fuzzing::run_rtf_reader_case(data, size);
    return 0;
}
