#include "ui_window/qt_text.hpp"

#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

namespace hx4x {

QString to_qt(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string from_qt(const QString& text) {
    const QByteArray bytes = text.toLatin1();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QTextDocument* to_qt_document(const RichTextDocument& document, QObject* parent) {
    auto* result = new QTextDocument(parent);
    QTextCursor cursor(result);
    bool first = true;
    for (const RichParagraph& paragraph : document.paragraphs) {
        if (!first) {
            cursor.insertBlock();
        }
        first = false;
        for (const TextRun& run : paragraph.runs) {
            QTextCharFormat format;
            format.setFontWeight(run.format.bold ? QFont::Bold : QFont::Normal);
            format.setFontItalic(run.format.italic);
            format.setFontUnderline(run.format.underline);
            format.setFontPointSize(run.format.half_points / 2.0);
            if (run.format.colour) {
                const Rgb& c = *run.format.colour;
                format.setForeground(QColor(c.red, c.green, c.blue));
            }
            // The model's text is UTF-8; a line break inside a paragraph is a soft break.
            QString text =
                QString::fromUtf8(run.text.data(), static_cast<qsizetype>(run.text.size()));
            text.replace(QLatin1Char('\n'), QChar::LineSeparator);
            cursor.insertText(text, format);
        }
    }
    return result;
}

QImage to_qt_image(const BrandImage& image) {
    QImage result(static_cast<int>(image.width()), static_cast<int>(image.height()),
                  QImage::Format_RGB32);
    for (std::size_t y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(static_cast<int>(y)));
        for (std::size_t x = 0; x < image.width(); ++x) {
            const Rgb c = image.pixel(x, y);
            line[x] = qRgb(c.red, c.green, c.blue);
        }
    }
    return result;
}

}  // namespace hx4x
