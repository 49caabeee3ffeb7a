#include "ui_window/message_text.hpp"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <QTextOption>

#include <algorithm>
#include <cmath>

namespace hx4x {

namespace {

// A box grows to the longest line up to this many average characters, then wraps.
constexpr int widest_line_in_characters = 80;
// A line width no text reaches, to measure a line unwrapped.
constexpr qreal unbounded = 1e6;

int ceil_to_int(qreal value) {
    return static_cast<int>(std::ceil(value));
}

}  // namespace

MessageText::MessageText(const QString& text, QWidget* parent) : QWidget(parent), text_(text) {
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

MessageText::~MessageText() = default;

qreal MessageText::average_character_width() const {
    // Taken over the alphabet, as dialog units take it. The font's own declared average
    // (QFontMetrics::averageCharWidth) is a weighted one; with a wide sans serif, a stop
    // every eight of those leaves "Firmware version:" reaching past its second stop, and
    // its value one column to the right of every other row's.
    static const QString alphabet =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return QFontMetricsF(font(), this).horizontalAdvance(alphabet) / 52;
}

qreal MessageText::tab_stop() const {
    return average_character_width() * 8;
}

qreal MessageText::lay_out(qreal width) const {
    if (width == laid_out_width_ && !paragraphs_.empty()) {
        return laid_out_height_;
    }
    paragraphs_.clear();
    QTextOption option(Qt::AlignLeft);
    option.setTabStopDistance(tab_stop());
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    qreal y = 0;
    qsizetype start = 0;
    for (const QString& line_text : text_.split(QLatin1Char('\n'))) {
        auto layout = std::make_unique<QTextLayout>(line_text, font(), this);
        layout->setTextOption(option);
        layout->beginLayout();
        const qsizetype last_tab = line_text.lastIndexOf(QLatin1Char('\t'));
        qreal indent = 0;
        for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
            line.setLineWidth(width - indent);
            line.setPosition(QPointF(indent, y));
            y += line.height();
            if (indent == 0 && last_tab >= 0 && last_tab < line.textStart() + line.textLength()) {
                // The continuation hangs at the column of the line's last tab, unless that
                // column leaves too little room to be worth it.
                const qreal column = line.cursorToX(static_cast<int>(last_tab + 1));
                indent = column < width * 2 / 3 ? column : 0;
            }
        }
        layout->endLayout();
        paragraphs_.push_back({start, std::move(layout)});
        start += line_text.size() + 1;
    }
    laid_out_width_ = width;
    laid_out_height_ = y;
    return y;
}

qreal MessageText::natural_width() const {
    QTextOption option(Qt::AlignLeft);
    option.setTabStopDistance(tab_stop());
    option.setWrapMode(QTextOption::NoWrap);
    qreal widest = 0;
    for (const QString& line_text : text_.split(QLatin1Char('\n'))) {
        QTextLayout layout(line_text, font(), this);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(unbounded);
            widest = std::max(widest, line.naturalTextWidth());
        }
        layout.endLayout();
    }
    return widest;
}

QSize MessageText::sizeHint() const {
    const QMargins margins = contentsMargins();
    const int widest = ceil_to_int(average_character_width() * widest_line_in_characters);
    const int width =
        std::min(ceil_to_int(natural_width()), widest) + margins.left() + margins.right();
    return {width, heightForWidth(width)};
}

QSize MessageText::minimumSizeHint() const {
    // The box sizes itself to its layout's minimum: ask for the whole line, it wraps only
    // when the screen cannot give that.
    return sizeHint();
}

int MessageText::heightForWidth(int width) const {
    const QMargins margins = contentsMargins();
    const qreal text_width = std::max(1, width - margins.left() - margins.right());
    return ceil_to_int(lay_out(text_width)) + margins.top() + margins.bottom();
}

QPointF MessageText::character_position(qsizetype index) const {
    const QRect area = contentsRect();
    lay_out(area.width());
    for (auto paragraph = paragraphs_.rbegin(); paragraph != paragraphs_.rend(); ++paragraph) {
        if (paragraph->start > index) {
            continue;
        }
        const int at = static_cast<int>(index - paragraph->start);
        const QTextLine line = paragraph->layout->lineForTextPosition(at);
        if (!line.isValid()) {
            break;
        }
        return QPointF(area.left() + line.cursorToX(at), area.top() + line.y());
    }
    return {};
}

void MessageText::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    const QRect area = contentsRect();
    lay_out(area.width());
    for (const Paragraph& paragraph : paragraphs_) {
        paragraph.layout->draw(&painter, area.topLeft());
    }
}

void MessageText::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) {
        laid_out_width_ = -1;
        updateGeometry();
    }
    QWidget::changeEvent(event);
}

}  // namespace hx4x
