#include "ui/placeholder_replacement.hpp"

#include <algorithm>
#include <vector>

namespace hx4x {

namespace {

bool is_word_character(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
           (byte >= '0' && byte <= '9') || byte == '_' || byte >= 0x80;
}

// Adds text in a format to the end of the runs, merging it into the last run of that format.
void append(std::vector<TextRun>& runs, std::string_view text, const TextFormat& format) {
    if (text.empty()) {
        return;
    }
    if (runs.empty() || !(runs.back().format == format)) {
        runs.push_back(TextRun{{}, format});
    }
    runs.back().text += text;
}

}  // namespace

std::size_t find_whole_word(std::string_view text, std::string_view word, std::size_t from) {
    if (word.empty()) {
        return std::string_view::npos;
    }
    for (std::size_t at = text.find(word, from); at != std::string_view::npos;
         at = text.find(word, at + 1)) {
        const std::size_t end = at + word.size();
        if ((at == 0 || !is_word_character(text[at - 1])) &&
            (end == text.size() || !is_word_character(text[end]))) {
            return at;
        }
    }
    return std::string_view::npos;
}

std::size_t replace_placeholder(RichTextDocument& document, std::string_view placeholder,
                                std::string_view replacement) {
    std::size_t replaced = 0;
    for (RichParagraph& paragraph : document.paragraphs) {
        // Searching the original text gives the same occurrences as searching after each
        // insertion: the left neighbour of the next occurrence is never part of the last one.
        const std::string text = paragraph.plain_text();
        std::vector<std::size_t> found;
        for (std::size_t at = find_whole_word(text, placeholder); at != std::string::npos;
             at = find_whole_word(text, placeholder, at + placeholder.size())) {
            found.push_back(at);
        }
        if (found.empty()) {
            continue;
        }
        // One pass over the runs, so that many occurrences cost no more than one.
        std::vector<TextRun> runs;
        std::size_t next = 0;
        std::size_t skip_until = 0;
        std::size_t run_start = 0;
        for (const TextRun& run : paragraph.runs) {
            const std::size_t run_end = run_start + run.text.size();
            std::size_t at = std::max(run_start, skip_until);
            while (at < run_end) {
                if (next < found.size() && found[next] == at) {
                    append(runs, replacement, run.format);
                    skip_until = at + placeholder.size();
                    at = skip_until;
                    ++next;
                    continue;
                }
                const std::size_t stop =
                    next < found.size() && found[next] < run_end ? found[next] : run_end;
                append(runs, std::string_view(run.text).substr(at - run_start, stop - at),
                       run.format);
                at = stop;
            }
            run_start = run_end;
        }
        paragraph.runs = std::move(runs);
        replaced += found.size();
    }
    return replaced;
}

}  // namespace hx4x
