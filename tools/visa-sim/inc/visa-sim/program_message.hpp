#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace hx4x::visa_sim {

// One program message unit: a header and its parameter, which may be a definite-length block.
struct ProgramUnit {
    static constexpr std::size_t no_block = static_cast<std::size_t>(-1);

    std::string header;      // upper case, leading ':' dropped
    std::string parameter;   // text parameter, blanks trimmed
    std::string_view block;  // the block bytes, when block_ok
    bool block_ok = false;
    // Offsets in the message of the block bytes (after the length digits), for the
    // transcript; no_block when the unit carries no recognisable block.
    std::size_t block_begin = no_block;
    std::size_t block_end = no_block;
    int syntax_error = 0;  // an SCPI error code when the unit cannot be executed
};

// Splits one program message (a trailing "\n" or "\r\n" ignored) at ';' into units; a block
// is taken byte for byte, so ';' inside it does not split. No units for an empty message.
std::vector<ProgramUnit> parse_program_message(std::string_view message);

}  // namespace hx4x::visa_sim
