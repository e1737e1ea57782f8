#include "layouts/wrapping_button.h"

#include <QFontMetricsF>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace quobel {

namespace {

constexpr int kCaptionFlags = Qt::AlignCenter | Qt::TextWordWrap;

bool Holds(const QFont& font, const QRect& area, const QString& caption) {
    const QRectF needed = QFontMetricsF(font).boundingRect(area, kCaptionFlags, caption);
    return needed.height() <= area.height() && needed.width() <= area.width();
}

} // namespace

CaptionFit FitCaption(const QString& caption, const QFont& font, const QRect& contents,
                      const QRect& insideFrame) {
    if (Holds(font, contents, caption))
        return {font, contents};
    if (Holds(font, insideFrame, caption))
        return {font, insideFrame};
    const qreal size = font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize();
    QFont smaller = font;
    for (qreal step = size * 0.95; step >= size * 0.7; step -= size * 0.05) {
        if (font.pointSizeF() > 0)
            smaller.setPointSizeF(step);
        else
            smaller.setPixelSize(qRound(step));
        if (Holds(smaller, insideFrame, caption))
            break;
    }
    return {smaller, insideFrame};
}

WrappingButton::WrappingButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {}

CaptionFit WrappingButton::captionFit() const {
    QStyleOptionButton option;
    initStyleOption(&option);
    const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, this);
    return FitCaption(text(), font(),
                      style()->subElementRect(QStyle::SE_PushButtonContents, &option, this),
                      rect().adjusted(frame, frame, -frame, -frame));
}

void WrappingButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    // The style draws frame, bevel and focus; the caption is drawn here so it
    // can wrap, which the style's own label drawing never does.
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);

    CaptionFit fit = captionFit();
    if (isDown() || isChecked()) {
        fit.area.translate(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, this),
                           style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this));
    }
    painter.setFont(fit.font);
    painter.drawItemText(fit.area, kCaptionFlags, palette(), isEnabled(), text(),
                         QPalette::ButtonText);
}

} // namespace quobel
