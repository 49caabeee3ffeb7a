#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "ui/rich_text_document.hpp"

namespace hx4x {

// The first case-sensitive occurrence of word in text, at or after from, that stands as a
// whole word: the characters around it are no word characters (letters, digits, '_', and
// every byte of a character beyond ASCII). npos when there is none or word is empty.
std::size_t find_whole_word(std::string_view text, std::string_view word, std::size_t from = 0);

// Replaces every whole-word occurrence of placeholder in the document by replacement; the
// replacement takes the format of the text where the occurrence began. Answers how many
// were replaced. An occurrence never spans paragraphs; it may span runs.
//
// Each search goes on after the text just inserted instead of from the start again: a
// placeholder consists of word characters only, so a replacement cannot complete a new
// occurrence with the text around it, and the only occurrences a search from the start
// would find in addition are those inside the replacement itself, which would make it
// replace forever. So a replacement that contains the placeholder is inserted once.
std::size_t replace_placeholder(RichTextDocument& document, std::string_view placeholder,
                                std::string_view replacement);

}  // namespace hx4x
