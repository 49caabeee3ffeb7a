#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace hx4x {

// Loads the bytes as an update would and checks the outcome against the format rules
// independently of the reader. Returns an empty text when everything holds, otherwise what
// went wrong. Shared by the fuzzer and the test that replays its findings.
std::string check_hex_reader_input(const std::uint8_t* data, std::size_t size);

}  // namespace hx4x
