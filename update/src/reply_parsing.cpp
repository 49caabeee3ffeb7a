#include "update/reply_parsing.hpp"

#include <cstdint>

#include "AuxLib/parse_integer.hpp"

namespace hx4x {

bool reply_reports_no_error(std::string_view reply) {
    ParsedInteger<std::int32_t> parsed;
    parse_integer(reply, 0, true, 10, parsed);
    return (parsed.flags & parse_value_stored) != 0 && parsed.value == 0;
}

unsigned event_status_from_reply(std::string_view reply) {
    std::size_t position = 0;
    auto is_blank = [](char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
    };
    while (position < reply.size() && is_blank(reply[position])) {
        ++position;
    }
    bool negative = false;
    if (position < reply.size() && (reply[position] == '+' || reply[position] == '-')) {
        negative = reply[position] == '-';
        ++position;
    }
    // Only the low eight bits matter, and they follow exactly from arithmetic modulo 256,
    // so a long digit string cannot overflow anything.
    std::uint8_t low_bits = 0;
    for (; position < reply.size() && reply[position] >= '0' && reply[position] <= '9';
         ++position) {
        low_bits = static_cast<std::uint8_t>(low_bits * 10u +
                                             static_cast<unsigned>(reply[position] - '0'));
    }
    if (negative) {
        low_bits = static_cast<std::uint8_t>(0u - low_bits);
    }
    return low_bits;
}

}  // namespace hx4x
