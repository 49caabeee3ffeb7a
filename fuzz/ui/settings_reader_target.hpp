#pragma once

#include <string_view>

namespace hx4x::fuzzing {

// One settings-file case: the first byte picks the section and key written (and whether in
// other letter case), the second the length of the value that follows; the rest is the
// file. Reads every probe name, writes the value, and aborts when a write loses its value,
// changes another key, or is not repeatable. Shared by the fuzzer and the regression test.
void run_settings_reader_case(std::string_view input);

}  // namespace hx4x::fuzzing
