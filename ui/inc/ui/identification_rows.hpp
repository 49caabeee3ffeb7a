#pragma once

#include <string>
#include <vector>

#include "instrument/counter_identity.hpp"
#include "ui/loader_view.hpp"

namespace hx4x {

// The five rows of the identification view, always in this order, with the identity's
// values (empty when no counter is connected).
std::vector<IdentificationRow> identification_rows(const CounterIdentity& identity);

// The rows as the operator's messages show them: "\t" + label + "\t", one more "\t" after
// the model's label so its value lines up, the value and "\n", row after row.
std::string identification_text(const std::vector<IdentificationRow>& rows);

}  // namespace hx4x
