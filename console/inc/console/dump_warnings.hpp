#pragma once

#include <functional>
#include <string>

#include "update/dump_report.hpp"

namespace hx4x {

// A warning for each dump that was asked for but could not be opened or written completely.
void warn_about_dumps(const DumpReport& dumps, const std::function<void(const std::string&)>& warn);

}  // namespace hx4x
