#pragma once

#include <string>

namespace hx4x {

// Joins an argument vector into one command-line text that splits back into exactly the
// same arguments: each becomes one token with its inner blanks, outer blanks are trimmed
// and an empty or all-blank argument is dropped. A double quote cannot stand inside a
// token, so quotes inside an argument are removed.
std::string command_line_from_argv(int argc, const char* const* argv);

}  // namespace hx4x
