#pragma once

#include <string_view>

namespace hx4x::platform {

// The box written to standard error as "title: kind: text", for a process that cannot show
// one: Yes/No questions are answered No, so an unattended run never agrees to anything.
int message_box_on_standard_error(std::string_view text, std::string_view title, unsigned style);

}  // namespace hx4x::platform
