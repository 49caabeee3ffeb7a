// libFuzzer entry: the reader's parsing core with the update's types and scanners.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "hex_reader_oracle.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string fault = hx4x::check_hex_reader_input(data, size);
    if (!fault.empty()) {
        std::fprintf(stderr, "hex reader rule broken: %s\n", fault.c_str());
        std::abort();
    }
    return 0;
}
