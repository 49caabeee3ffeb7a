#pragma once

#include <span>
#include <string_view>

#include "instrument/counter_identity.hpp"

namespace hx4x {

// One row of the accepted manufacturers: the first word of the reply, the manufacturer
// text stored, and the models accepted from it.
struct CounterMaker {
    std::string_view reply_word;
    std::string_view name;
    std::span<const std::string_view> models;
};

// The accepted manufacturers and their models, in table order.
std::span<const CounterMaker> counter_makers();

// Parses an identification reply ("MAKER,MODEL,SERIAL,VERSION ...") read through the
// given resource. Text after a zero byte is ignored, as for a C string. On failure the
// identity is left unchanged.
bool parse_identification(std::string_view resource_name, std::string_view reply,
                          CounterIdentity& identity);

// The firmware version x 100 from a version token whose first character (normally a
// letter) is skipped: the integer part x 100 plus the first two fraction digits, so
// "V1.15" gives 115 and "V1.5" 150. Text that is not a number there gives 0; values too
// large for an int give the largest int.
int parse_version_number(std::string_view version_text);

}  // namespace hx4x
