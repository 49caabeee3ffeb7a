#pragma once

#include <string_view>

namespace hx4x {

// An error-queue reply such as "0,\"No error\"": true only when an optionally signed
// decimal number stands at its very start (no leading blanks) and its value is 0.
bool reply_reports_no_error(std::string_view reply);

// The event status register from a "*ESR?" reply, read as a C library text-to-integer
// conversion would (leading blanks, a sign, decimal digits) and cut to its low eight bits.
// Nothing to read gives 0.
unsigned event_status_from_reply(std::string_view reply);

}  // namespace hx4x
