#include "ui_window/qt_text.hpp"

#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <cstddef>

#include "platform/file_name_case.hpp"

namespace hx4x {

namespace {

// A byte that is no part of valid UTF-8 is held as the lone low surrogate of this base plus
// the byte, which no decoded text contains, so that it comes back as the same byte.
constexpr char16_t stray_byte_base = 0xDC00;

// The length of the valid UTF-8 sequence at the position, 0 when none starts there: no
// overlong forms, no surrogates, nothing past U+10FFFF.
std::size_t utf8_sequence_length(const std::string& text, std::size_t at) {
    const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) {
        return 1;
    }
    std::size_t length = 0;
    unsigned char second_low = 0x80;
    unsigned char second_high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        second_low = lead == 0xE0 ? 0xA0 : 0x80;
        second_high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        second_low = lead == 0xF0 ? 0x90 : 0x80;
        second_high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() - at < length || byte(at + 1) < second_low || byte(at + 1) > second_high) {
        return 0;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) {
            return 0;
        }
    }
    return length;
}

QString from_utf8(const std::string& text, std::size_t begin, std::size_t end) {
    return QString::fromUtf8(text.data() + begin, static_cast<qsizetype>(end - begin));
}

void append_utf8(std::string& out, QStringView text) {
    const QByteArray bytes = text.toUtf8();
    out.append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace

QString to_qt(const std::string& text) {
    if (!platform::file_names_utf8()) {
        return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
    }
    QString result;
    result.reserve(static_cast<qsizetype>(text.size()));
    std::size_t valid_from = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = utf8_sequence_length(text, at);
        if (length != 0) {
            at += length;
            continue;
        }
        result += from_utf8(text, valid_from, at);
        result +=
            QChar(static_cast<char16_t>(stray_byte_base + static_cast<unsigned char>(text[at])));
        valid_from = ++at;
    }
    result += from_utf8(text, valid_from, text.size());
    return result;
}

std::string from_qt(const QString& text) {
    if (!platform::file_names_utf8()) {
        const QByteArray bytes = text.toLocal8Bit();
        return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    }
    std::string result;
    result.reserve(static_cast<std::size_t>(text.size()));
    qsizetype valid_from = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        const bool stray_byte = unit >= stray_byte_base + 0x80 && unit <= stray_byte_base + 0xFF &&
                                (i == 0 || !text[i - 1].isHighSurrogate());
        if (stray_byte) {
            append_utf8(result, QStringView(text).sliced(valid_from, i - valid_from));
            result.push_back(static_cast<char>(unit - stray_byte_base));
            valid_from = i + 1;
        }
    }
    append_utf8(result, QStringView(text).sliced(valid_from));
    return result;
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
