#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace hx4x::platform {

// The classic initialisation-file layout ("[section]" lines, then "key=value" lines) read
// and edited as plain bytes, with no file system involved, so that the rules can be tested
// and fuzzed on their own. They follow the system profile calls on the files people have:
//
// - lines end at LF; a CR before the LF belongs to the line end; a leading UTF-8 byte-order
//   mark is skipped;
// - section and key names match without regard to (ASCII) case; blanks (space, tab, CR,
//   vertical tab, form feed) around names and values are dropped; one pair of matching
//   double or single quotes around a value is dropped;
// - "[name]" opens a section (text after the first "]" is ignored); lines starting with ";",
//   blank lines, lines without "=" and a "[" without "]" are not keys; keys above the first
//   section belong to none;
// - only the first section of a name counts, and in it the first line of a key.

// Whether the entry can be written so that a reader finds it again under these names:
// names not empty, without CR, LF or NUL, without blanks at either end, a section name
// without "]", a key name without "=" and not starting with ";" or "["; a value without CR,
// LF or NUL (it would split the line, or be cut by a C-string interface).
bool profile_entry_storable(std::string_view section, std::string_view key, std::string_view value);

// The value of the key in the section; nothing when the key is missing.
std::optional<std::string> find_profile_value(std::string_view text, std::string_view section,
                                              std::string_view key);

// The text with the key set to the value, which is written byte for byte. The key's line is
// replaced where it stands, a new key goes below the last key of its section, a missing
// section is added at the end; every other byte stays. New lines take the file's line end
// (that of its first line; CR LF when it has none). Nothing when the entry is not storable
// or the text is UTF-16 (8-bit lines added to it would corrupt it).
std::optional<std::string> with_profile_value(std::string_view text, std::string_view section,
                                              std::string_view key, std::string_view value);

}  // namespace hx4x::platform
