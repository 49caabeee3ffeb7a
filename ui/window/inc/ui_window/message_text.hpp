#pragma once

#include <QString>
#include <QTextLayout>
#include <QWidget>

#include <memory>
#include <vector>

namespace hx4x {

// The text of a message box, laid out with a tab stop every eight average character widths
// of its font, as the system the texts were written for expands tabs: the tab-separated
// rows of a message then line up in columns. A line too long for the box wraps, and its
// continuation starts where the text after the line's last tab starts, so a wrapped value
// stays in its column.
class MessageText : public QWidget {
  public:
    explicit MessageText(const QString& text, QWidget* parent = nullptr);
    ~MessageText() override;

    const QString& text() const { return text_; }
    // A tab stop every eight average characters of the font.
    qreal tab_stop() const;

    // Where the character at `index` of the text starts, in the widget, as painted at the
    // widget's present width.
    QPointF character_position(qsizetype index) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    struct Paragraph {
        qsizetype start = 0;  // of the paragraph in the text
        std::unique_ptr<QTextLayout> layout;
    };

    qreal average_character_width() const;
    // Lays the paragraphs out for a text width, once per width; the height they take.
    qreal lay_out(qreal width) const;
    // The width of the widest line unwrapped.
    qreal natural_width() const;

    QString text_;
    mutable std::vector<Paragraph> paragraphs_;
    mutable qreal laid_out_width_ = -1;
    mutable qreal laid_out_height_ = 0;
};

}  // namespace hx4x
