#pragma once

#include <vector>

#include "instrument/counter_identity.hpp"
#include "ui/loader_view.hpp"

namespace hx4x {

// The five rows of the identification view, always in this order, with the identity's
// values (empty when no counter is connected).
std::vector<IdentificationRow> identification_rows(const CounterIdentity& identity);

}  // namespace hx4x
