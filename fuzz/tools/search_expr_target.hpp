#pragma once

#include <cstddef>
#include <cstdint>

namespace hx4x::fuzzing {

// One input: the search expression, a line feed, then a resource name. Aborts when the
// matcher breaks one of its invariants.
void run_search_expr_case(const std::uint8_t* data, std::size_t size);

}  // namespace hx4x::fuzzing
