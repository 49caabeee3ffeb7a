#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ui/rgb.hpp"

namespace hx4x {

// The character formatting a window can show. Sizes are in half points, as RTF gives them.
struct TextFormat {
    static constexpr int default_half_points = 24;

    bool bold = false;
    bool italic = false;
    bool underline = false;
    int half_points = default_half_points;
    std::optional<Rgb> colour;  // none: the window's text colour

    friend bool operator==(const TextFormat&, const TextFormat&) = default;
};

// Text in one format, UTF-8; "\n" is a line break inside the paragraph and "\t" a tab.
struct TextRun {
    std::string text;
    TextFormat format;
};

struct RichParagraph {
    std::vector<TextRun> runs;

    std::string plain_text() const;
};

// A rich-text document without any window: what the readme page shows, built from RTF by
// read_rtf and turned into the window's own document by the window.
struct RichTextDocument {
    std::vector<RichParagraph> paragraphs;

    // The paragraphs' texts, each ended by "\n".
    std::string plain_text() const;
};

}  // namespace hx4x
