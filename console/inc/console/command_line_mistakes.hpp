#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "cmdline/command_line_parser.hpp"

namespace hx4x {

// The console's reading of what a token means before the parser sees it. A bare word that
// names no option becomes the firmware file, so a misspelt option would silently become a
// file name: a token that looks like an option and names none is refused instead.
//
// A token looks like an option when
//   - it starts with "-" or "--" (on every platform), or with "\" on POSIX or "/" on Windows,
//     and something follows that prefix; or
//   - it is a name followed by "=": a letter, then letters, digits, "_" and "-", then "=".
// A "/" on POSIX and a "\" on Windows start a path unless an option's name follows them, so
// "/lab/fw.hex" and "\fw\v112.hex" stay file names; so does "./-odd.hex".

// "-h" and "-?" as "help": the tokens with those two replaced.
std::vector<std::string> with_help_aliases(std::vector<std::string> tokens);

// The option name a token gives when it looks like an option (prefix and value removed);
// empty when it does not look like one.
std::string option_name_in(std::string_view token, bool posix);

// The report of the first token that looks like an option and names none of the parser's
// arguments, with the closest listed option suggested; empty when there is none.
std::string unknown_option_message(const CommandLineParser& parser,
                                   const std::vector<std::string>& tokens, bool posix);

// Whether one of the tokens asks for JSON output, read before any parse so that a
// command-line error is reported as JSON too.
bool asks_for_json(const std::vector<std::string>& tokens, bool posix);

// The listed option closest to the name by edit distance (letter case ignored), when it is
// close enough to be the one meant: at most two edits, and at most one per three letters of
// the name (at least one). Empty otherwise.
std::string closest_option(const CommandLineParser& parser, std::string_view name);

// Levenshtein distance: insertions, deletions and substitutions of one byte each.
std::size_t edit_distance(std::string_view a, std::string_view b);

}  // namespace hx4x
