#pragma once

#include <string_view>

namespace hx4x::fuzzing {

// Splits and parses one command-line text against the loader's option table, renders both
// texts and aborts when an invariant breaks. Shared by the fuzzer and the regression test.
void run_command_line_case(std::string_view text);

}  // namespace hx4x::fuzzing
