#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "visa-sim/counter_state.hpp"

namespace hx4x::visa_sim {

// The text at the head of a state file: one "key value" line each, a readable record of the
// counter that a test may also look at. The received image lives in the block log beside it.
struct StateHeader {
    std::uint64_t generation = 0;  // counts the writes, so a process sees whether to reload
    std::uint64_t clock_offset_ms = 0;
    CounterState counter;
    std::map<std::uint64_t, std::uint32_t> processes;  // process id -> sessions it has open
    std::uint64_t log_epoch = 0;                       // counts the times the log was emptied
    std::uint64_t log_bytes = 0;                       // the valid length of the log
};

inline constexpr std::string_view state_header_magic = "visa-sim counter state 1";

// Everything but the generation line, so two texts compare for a change of state.
std::string state_header_body(const StateHeader& header);
std::string state_header_text(std::uint64_t generation, const std::string& body);
// The generation of a header text, 0 when it has none (an empty file).
std::uint64_t state_header_generation(std::string_view text);
// False, with what is wrong, for a text that is no state header.
bool parse_state_header(std::string_view text, StateHeader* header, std::string* error);

}  // namespace hx4x::visa_sim
