#pragma once

#include <QImage>
#include <QString>

#include <string>

#include "ui/brand_image.hpp"
#include "ui/rich_text_document.hpp"

class QObject;
class QTextDocument;

namespace hx4x {

// The system's texts (file names, messages, labels, VISA names) are 8-bit, in the encoding
// the system takes file names in: UTF-8 on POSIX, the ANSI code page on Windows. A file name
// the operator picks or types must reach the system as those very bytes. On UTF-8 systems a
// byte that is no valid UTF-8 (a counter's reply in an old code page) is held as a character
// of its own, so that any text shown comes back byte for byte when it is chosen.
QString to_qt(const std::string& text);
std::string from_qt(const QString& text);

// The readme's document model as the window's own rich text.
QTextDocument* to_qt_document(const RichTextDocument& document, QObject* parent);

QImage to_qt_image(const BrandImage& image);

}  // namespace hx4x
