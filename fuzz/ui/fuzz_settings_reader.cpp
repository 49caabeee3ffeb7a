#include <cstddef>
#include <cstdint>
#include <string_view>

#include "settings_reader_target.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    hx4x::fuzzing::run_settings_reader_case(
        std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
