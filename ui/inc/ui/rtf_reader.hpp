#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "ui/rich_text_document.hpp"

namespace hx4x {

// What a document may cost: its size, and how deeply its groups may nest. Our readme is a
// few kilobytes with groups three deep; a document beyond either limit is refused whole.
inline constexpr std::size_t rtf_max_bytes = std::size_t{1} << 20;
inline constexpr std::size_t rtf_max_group_depth = 512;

// Reads the RTF that the readme uses: groups, \par, \line, \tab, bold, italic, underline,
// font sizes, the colour table and colours, \'hh (code page 1252), \uN with \ucN, and the
// usual typographic symbols. Destinations it does not show (font table, style sheet,
// information, pictures, every \* group...) are skipped with all they hold. Text after the
// group that closes the document is ignored; a document that ends before its groups close
// keeps what was read. Nothing (no document) for input that does not begin with "{\rtf",
// is larger than rtf_max_bytes or nests deeper than rtf_max_group_depth. Works in one pass
// with an explicit group stack: no recursion, time and memory linear in the input.
std::optional<RichTextDocument> read_rtf(std::span<const std::uint8_t> bytes);
std::optional<RichTextDocument> read_rtf(std::string_view text);

}  // namespace hx4x
