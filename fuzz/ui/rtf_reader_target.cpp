#include "rtf_reader_target.hpp"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_invariant.hpp"
#include "ui/placeholder_replacement.hpp"
#include "ui/rtf_reader.hpp"

namespace hx4x::fuzzing {

namespace {

bool is_utf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        if ((lead >= 0x80 && lead < 0xC2) || lead > 0xF4 || i + length > text.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

std::size_t count_whole_words(std::string_view text, std::string_view word) {
    std::size_t count = 0;
    for (std::size_t at = find_whole_word(text, word); at != std::string_view::npos;
         at = find_whole_word(text, word, at + word.size())) {
        ++count;
    }
    return count;
}

// The same replacement on plain text, the reference for what the runs must hold after it.
std::string replaced_text(std::string text, std::string_view word, std::string_view by) {
    for (std::size_t at = find_whole_word(text, word); at != std::string::npos;
         at = find_whole_word(text, word, at + by.size())) {
        text.replace(at, word.size(), by);
    }
    return text;
}

}  // namespace

void run_rtf_reader_case(const std::uint8_t* data, std::size_t size) {
    // A private copy, so that a read past the end is caught by the sanitizer at once.
    const std::vector<std::uint8_t> bytes(data, data + size);
    std::optional<RichTextDocument> document = read_rtf(bytes);
    if (!document) {
        return;
    }
    require(!document->paragraphs.empty(), "a document without a paragraph");
    require(document->paragraphs.size() <= size, "more paragraphs than bytes");
    std::size_t text_bytes = 0;
    for (const RichParagraph& paragraph : document->paragraphs) {
        for (const TextRun& run : paragraph.runs) {
            require(!run.text.empty(), "an empty run");
            require(is_utf8(run.text), "a run that is no UTF-8");
            require(run.format.half_points >= 1 && run.format.half_points <= 3276, "font size");
            text_bytes += run.text.size();
        }
    }
    // No byte of RTF gives more than the three bytes of one UTF-8 character.
    require(text_bytes <= 3 * size, "more text than the input explains");

    // A replacement that holds the placeholder is inserted once per occurrence and ends.
    const std::string_view word = "HERE_WILL_BE_EXE_FILE_NAME";
    const std::string wrapped = "<" + std::string(word) + ">";
    std::vector<std::size_t> before;
    std::vector<std::string> expected;
    std::size_t total = 0;
    for (const RichParagraph& paragraph : document->paragraphs) {
        const std::string text = paragraph.plain_text();
        before.push_back(count_whole_words(text, word));
        expected.push_back(replaced_text(text, word, wrapped));
        total += before.back();
    }
    require(replace_placeholder(*document, word, wrapped) == total, "replacement count");
    for (std::size_t i = 0; i < document->paragraphs.size(); ++i) {
        const std::string text = document->paragraphs[i].plain_text();
        require(text == expected[i], "runs disagree with the plain replacement");
        require(count_whole_words(text, word) == before[i], "occurrences after wrapping");
        for (const TextRun& run : document->paragraphs[i].runs) {
            require(!run.text.empty(), "an empty run after replacing");
        }
    }
    // Removing every occurrence leaves none: removal cannot make a new whole word.
    require(replace_placeholder(*document, word, "") == total, "removal count");
    for (const RichParagraph& paragraph : document->paragraphs) {
        require(count_whole_words(paragraph.plain_text(), word) == 0, "occurrence left");
    }
}

}  // namespace hx4x::fuzzing
