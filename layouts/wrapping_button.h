#pragma once

#include <QFont>
#include <QPushButton>
#include <QRect>

namespace quobel {

// Where a wrapped caption is drawn, and in which font.
struct CaptionFit {
    QFont font;
    QRect area;
};

// The caption in the button's contents area if it fits there; else in all of
// the button inside its frame; else, in that area, in the largest font down
// to 70% of the given one that holds it. The designed buttons are sized for
// the designer's font: another font, with taller lines or wider glyphs, would
// otherwise cut a two-line caption at the top and the bottom.
CaptionFit FitCaption(const QString& caption, const QFont& font, const QRect& contents,
                      const QRect& insideFrame);

// A push button whose caption wraps onto more lines when it is wider than the
// button, centred both ways, as the designed buttons expect: some captions
// are laid out on two lines in a button twice as tall as one line.
class WrappingButton : public QPushButton {
    Q_OBJECT
public:
    explicit WrappingButton(const QString& text, QWidget* parent = nullptr);

    CaptionFit captionFit() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace quobel
