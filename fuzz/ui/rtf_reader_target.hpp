#pragma once

#include <cstddef>
#include <cstdint>

namespace hx4x::fuzzing {

// Reads one byte sequence as RTF, checks the document's invariants and the placeholder
// replacement on it, and aborts when one breaks. Shared by the fuzzer and the regression test.
void run_rtf_reader_case(const std::uint8_t* data, std::size_t size);

}  // namespace hx4x::fuzzing
