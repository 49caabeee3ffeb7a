#pragma once

#include <QImage>
#include <QString>

#include <string>

#include "ui/brand_image.hpp"
#include "ui/rich_text_document.hpp"

class QObject;
class QTextDocument;

namespace hx4x {

// The system's texts are 8-bit, shown as Latin-1 so that every byte stays one character.
QString to_qt(const std::string& text);
std::string from_qt(const QString& text);

// The readme's document model as the window's own rich text.
QTextDocument* to_qt_document(const RichTextDocument& document, QObject* parent);

QImage to_qt_image(const BrandImage& image);

}  // namespace hx4x
