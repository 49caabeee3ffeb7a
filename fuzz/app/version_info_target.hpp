#pragma once

#include <cstddef>
#include <cstdint>

namespace hx4x::fuzzing {

// Parses one byte sequence as a version record, asks every question of the reader and
// aborts when an invariant breaks. Shared by the fuzzer and the regression test.
void run_version_info_case(const std::uint8_t* data, std::size_t size);

}  // namespace hx4x::fuzzing
