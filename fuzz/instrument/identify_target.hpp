#pragma once

#include <string_view>

namespace hx4x::fuzzing {

// Parses one identification reply and its version token and aborts when an invariant
// breaks. Shared by the fuzzer and the regression test.
void run_identify_case(std::string_view reply);

}  // namespace hx4x::fuzzing
