#pragma once

#include <string>

#include "ui/run_status.hpp"

namespace hx4x {

// One line per status: the code and what it means, for the usage text and the README.
std::string exit_status_table_text();

}  // namespace hx4x
