#pragma once

#include <QLabel>

namespace hx4x {

// A caption standing on the brand picture: white letters with a dark outline, so that the
// caption stays readable on a dark brand band as well as on the pale end of a gradient.
// Like every caption on the picture it lets mouse presses through, so a press on it drags
// the window.
class CaptionLabel : public QLabel {
  public:
    explicit CaptionLabel(const QString& text, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // How far the outline reaches beyond the letters, in pixels on every side.
    static constexpr int outline_width = 1;

  protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace hx4x
