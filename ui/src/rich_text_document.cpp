#include "ui/rich_text_document.hpp"

namespace hx4x {

std::string RichParagraph::plain_text() const {
    std::string text;
    for (const TextRun& run : runs) {
        text += run.text;
    }
    return text;
}

std::string RichTextDocument::plain_text() const {
    std::string text;
    for (const RichParagraph& paragraph : paragraphs) {
        text += paragraph.plain_text();
        text += '\n';
    }
    return text;
}

}  // namespace hx4x
