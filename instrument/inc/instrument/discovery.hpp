#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "instrument/counter_identity.hpp"

namespace hx4x {

// The mask used when none is given: every instrument resource.
inline constexpr std::string_view default_resource_mask = "?*::INSTR";

// Fills the resource list with the names matching the VISA search expression (empty:
// default_resource_mask). False, with the list empty, when nothing matches, the library
// is not available or the mask has 256 characters or more. In emulation the list holds
// the one emulated name.
bool find_resources(std::string_view mask);

// True when the last search failed because the VISA library refused the mask as a search
// expression, which is the caller's mistake rather than an empty bus.
bool last_search_refused_expression();

// Rebuilds the counter list from find_resources: one identity per name, with only the
// resource name filled in. True when the list is not empty.
bool find_counters(std::string_view mask);

// The lists of the last search, process-wide.
const std::vector<std::string>& resource_list();
const std::vector<CounterIdentity>& counter_list();

}  // namespace hx4x
