#include <cstddef>
#include <cstdint>

#include "search_expr_target.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    hx4x::fuzzing::run_search_expr_case(data, size);
    return 0;
}
