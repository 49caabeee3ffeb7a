#include "ui_window/caption_label.hpp"

#include <QPainter>
#include <QPalette>

namespace hx4x {

namespace {

// The artwork's darkest ink: white on it reads at about 18:1, and it sits with the navy of
// the main brand as well as with a partner's colour.
constexpr QRgb outline_colour = qRgb(0x0b, 0x18, 0x26);

}  // namespace

CaptionLabel::CaptionLabel(const QString& text, QWidget* parent) : QLabel(parent) {
    // A caption is never markup: a mask typed by the operator may hold '<' and '&'.
    setTextFormat(Qt::PlainText);
    setText(text);
    QPalette white = palette();
    white.setColor(QPalette::WindowText, Qt::white);
    setPalette(white);
    // The window has no title bar; a press on a caption drags it like the picture around.
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

QSize CaptionLabel::sizeHint() const {
    return QLabel::sizeHint() + QSize(2 * outline_width, 2 * outline_width);
}

QSize CaptionLabel::minimumSizeHint() const {
    return QLabel::minimumSizeHint() + QSize(2 * outline_width, 2 * outline_width);
}

void CaptionLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // Crisp letters: a smoothed edge would blend the white into the rim and leave grey,
    // barely darker than a pale picture, right where the letter meets it.
    QFont crisp = font();
    crisp.setStyleStrategy(QFont::NoAntialias);
    painter.setFont(crisp);
    const int inset = margin() + outline_width;
    const QRect area = contentsRect().adjusted(inset, inset, -inset, -inset);
    const int flags = static_cast<int>(alignment()) | (wordWrap() ? Qt::TextWordWrap : 0);
    // The rim: the letters in the dark ink moved by one pixel in each of the eight
    // directions, so every pixel that touches a letter is dark whatever lies beneath.
    painter.setPen(QColor::fromRgb(outline_colour));
    for (int dy = -outline_width; dy <= outline_width; ++dy) {
        for (int dx = -outline_width; dx <= outline_width; ++dx) {
            if (dx != 0 || dy != 0) {
                painter.drawText(area.translated(dx, dy), flags, text());
            }
        }
    }
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(area, flags, text());
}

}  // namespace hx4x
